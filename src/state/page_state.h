#pragma once
// The page currently shown. Written on the user-interface thread. `currentUrl` and
// `pageSource` are also read by other threads (the watcher, the link thread), so both sit
// behind one lock: the UI thread holds it while it assigns either, other threads only while
// they copy. Nobody holds it while waiting for the UI thread.
#include <mutex>

#include "text/text.h"

namespace halvit {

class PageState {
 public:
  // Guarded fields: assign and copy through these.
  void setCurrentUrl(Text url);
  void setPageSource(Text source);
  Text currentUrl() const;
  Text pageSource() const;

  // UI-thread-only fields.
  Text pageTitle;
  Text titleSuffix;
  Text lastAllowedUrl;
  Text addressText;
  int lastDropDownIndex = -1;
  void* browser = nullptr;  // the engine's own object, borrowed while the web view lives
  int textViewShown = 0;

 private:
  mutable std::mutex lock_;
  Text currentUrl_;
  Text pageSource_;
};

}  // namespace halvit
