#pragma once
// What every engine reports, and the rules of passing it on: nothing reaches the program
// before the engine's first document-complete (the about:blank that create loads); download
// begin and complete pass only while a navigation request is outstanding, the completion
// ending it; the status text is stored before its event is raised.
#include <mutex>

#include "text/text.h"
#include "webview/web_view.h"

namespace halvit {

class EventQueue;

class EngineRelay {
 public:
  EngineRelay(EventQueue& queue, int control) : queue_(queue), control_(control) {}

  void setNavigationCallback(NavigationCallback fn) { callback_ = std::move(fn); }
  void connectEventSink(BrowserEventSink& sink) { sink_ = &sink; }
  // A new engine starts over: its first document-complete opens the gate again.
  void reset();

  // From the platform, on the user-interface thread.
  bool navigationRequested(const Text& url);  // false: cancel
  void documentComplete();
  void downloadBegin();
  void downloadComplete();
  void titleChanged();
  void statusTextChanged(const Text& text);
  void popupBlocked();
  void progress();
  void contextMenu();
  void navigateError(int statusCode, const Text& url);
  void newWindow(const Text& url);

  bool started() const { return started_; }
  EventQueue& queue() { return queue_; }
  // The last status text; read by the link thread too.
  Text statusText() const;

 private:
  void raise(int type);

  EventQueue& queue_;
  int control_;
  NavigationCallback callback_;
  BrowserEventSink* sink_ = nullptr;
  bool started_ = false;
  bool requestOutstanding_ = false;
  mutable std::mutex statusLock_;
  Text statusText_;
};

}  // namespace halvit
