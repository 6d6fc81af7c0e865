#pragma once
// The main window's event queue. The toolkit raises events into it and the program posts its
// own; the loop takes them in order. Lives on the user-interface thread only.
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "ui/event.h"

namespace halvit {

class EventQueue {
 public:
  using Procedure = std::function<void()>;

  // From the toolkit: procedures bound to this event number run now (before the loop sees
  // the event, so a live resize lays out at once), then the event is queued.
  void raise(const Event& event);
  // From the program: queued only.
  void post(const Event& event);
  void bind(int eventNumber, Procedure procedure);

  // While a wait such as WebView.waitForDocument pumps the platform, the window events it
  // takes are dropped: no handler sees them.
  void beginDiscard() { ++discarding_; }
  void endDiscard() { if (discarding_ > 0) --discarding_; }

  std::optional<Event> take();
  bool empty() const { return queue_.empty(); }
  std::size_t size() const { return queue_.size(); }

 private:
  std::deque<Event> queue_;
  std::map<int, std::vector<Procedure>> bound_;
  int discarding_ = 0;
};

}  // namespace halvit
