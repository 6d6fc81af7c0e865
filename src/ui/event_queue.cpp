#include "ui/event_queue.h"

#include <algorithm>

#include "ui/ids.h"

namespace halvit {

void EventQueue::raise(const Event& event) {
  if (discarding_ > 0) return;
  auto found = bound_.find(event.number);
  if (found != bound_.end()) {
    // Copy: a bound procedure may bind more procedures.
    auto procedures = found->second;
    for (auto& procedure : procedures) procedure();
  }
  post(event);
}

void EventQueue::post(const Event& event) {
  // An event equal to the one at the tail adds nothing, so the 220 ms re-check and repeated
  // engine notifications never pile up.
  if (!queue_.empty() && queue_.back().sameAs(event)) return;
  if (event.number == EVENT_SIZE) {
    // Only the newest size matters: the loop reads the window's size when it takes the event.
    queue_.erase(std::remove_if(queue_.begin(), queue_.end(),
                                [](const Event& e) { return e.number == EVENT_SIZE; }),
                 queue_.end());
  }
  queue_.push_back(event);
}

void EventQueue::bind(int eventNumber, Procedure procedure) {
  bound_[eventNumber].push_back(std::move(procedure));
}

std::optional<Event> EventQueue::take() {
  if (queue_.empty()) return std::nullopt;
  Event event = std::move(queue_.front());
  queue_.pop_front();
  return event;
}

}  // namespace halvit
