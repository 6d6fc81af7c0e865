#include "ui/event_queue.h"

#include <gtest/gtest.h>

#include "ui/ids.h"

namespace halvit {
namespace {

Event ev(int number, int control = 0, int type = 0) {
  Event e;
  e.number = number;
  e.control = control;
  e.type = type;
  return e;
}

TEST(EventQueue, AnEventEqualToTheTailAddsNothing) {
  struct Case { std::vector<Event> posted; std::size_t queued; };
  const Case cases[] = {
      {{ev(EVENT_RECHECK_ADDRESS), ev(EVENT_RECHECK_ADDRESS)}, 1},
      {{ev(EVENT_RECHECK_ADDRESS), ev(EVENT_TIMER), ev(EVENT_RECHECK_ADDRESS)}, 3},  // only the tail
      {{ev(EVENT_GADGET, 0, 65617), ev(EVENT_GADGET, 0, 65617)}, 1},
      {{ev(EVENT_GADGET, 0, 65617), ev(EVENT_GADGET, 0, 65618)}, 2},   // another type
      {{ev(EVENT_GADGET, 0, 14000), ev(EVENT_GADGET, 11, 14000)}, 2},  // another control
      {{ev(EVENT_MENU, 5), ev(EVENT_MENU, 6)}, 2},                     // another command
      {{ev(EVENT_SIZE), ev(EVENT_TIMER), ev(EVENT_SIZE)}, 2},          // size replaces size
      {{ev(EVENT_SIZE), ev(EVENT_SIZE), ev(EVENT_SIZE)}, 1},
  };
  for (const auto& c : cases) {
    EventQueue q;
    for (const auto& e : c.posted) q.post(e);
    EXPECT_EQ(q.size(), c.queued);
  }
}

TEST(EventQueue, ANewSizeEventGoesBehindWhatWaitsBeforeIt) {
  EventQueue q;
  q.post(ev(EVENT_SIZE));
  q.post(ev(EVENT_TIMER));
  q.post(ev(EVENT_SIZE));
  EXPECT_EQ(q.take()->number, EVENT_TIMER);
  EXPECT_EQ(q.take()->number, EVENT_SIZE);
  EXPECT_FALSE(q.take());
}

TEST(EventQueue, BoundProceduresRunWhenTheEventIsRaisedNotWhenTaken) {
  EventQueue q;
  int layouts = 0;
  q.bind(EVENT_SIZE, [&] { ++layouts; });
  q.bind(EVENT_MAXIMIZE, [&] { ++layouts; });
  q.raise(ev(EVENT_MAXIMIZE));
  q.raise(ev(EVENT_SIZE));
  q.raise(ev(EVENT_SIZE));
  EXPECT_EQ(layouts, 3) << "every raise lays out, even one that is coalesced";
  q.post(ev(EVENT_SIZE));
  EXPECT_EQ(layouts, 3) << "posting runs nothing";
  EXPECT_EQ(q.size(), 2u);
}

TEST(EventQueue, EventsRaisedWhileDiscardingAreDropped) {
  EventQueue q;
  q.beginDiscard();
  q.raise(ev(EVENT_TIMER));
  q.endDiscard();
  q.endDiscard();  // unbalanced ends do no harm
  EXPECT_TRUE(q.empty());
  q.raise(ev(EVENT_TIMER));
  EXPECT_EQ(q.size(), 1u);
}

}  // namespace
}  // namespace halvit
