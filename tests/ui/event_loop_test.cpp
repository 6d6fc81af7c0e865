#include "ui/event_loop.h"

#include <gtest/gtest.h>

#include "support/sim_browser.h"
#include "ui/main_window.h"

namespace halvit {
namespace {

using test::SimBrowser;

Event ev(int number) {
  Event e;
  e.number = number;
  return e;
}

// A browser that has started on a page and is waiting in its loop; `then` runs as the user's
// next action, and the loop ends when the script is done.
struct Running {
  SimBrowser s;
  explicit Running(std::function<void(Running&)> then, std::vector<Text> params = {u"https://x.org/"}) {
    s.web.pages[u"https://x.org/"] = {u"X", u"<title>X</title>"};
    s.web.pages[u"https://www.youtube.com/watch"] = {u"V", u""};
    s.web.pages[u"https://a.example/"] = {u"A", u""};
    s.toolkit.script.push_back([this, then] { then(*this); });
    s.run(std::move(params));
  }
  sim::SimToolkit& t() { return s.toolkit; }
  Browser& b() { return *s.browser; }
};

TEST(ClickRule, ChoosingADropDownEntryNavigatesToIt) {
  struct Case {
    const char* what;
    int cursor;
    int selected;
    int lastIndex;
    Text field;
    int focus;
    bool navigates;
  };
  const Case cases[] = {
      {"a new entry", CURSOR_OTHER, 0, -1, u"https://a.example/", CONTROL_ADDRESS_BAR, true},
      {"the pointer is an I-beam", CURSOR_IBEAM, 0, -1, u"https://a.example/", CONTROL_ADDRESS_BAR, false},
      {"the same index as last time", CURSOR_OTHER, 0, 0, u"https://a.example/", CONTROL_ADDRESS_BAR, false},
      {"an empty field", CURSOR_OTHER, 0, -1, u"", CONTROL_ADDRESS_BAR, false},
      {"the current page", CURSOR_OTHER, 0, -1, u"https://x.org/", CONTROL_ADDRESS_BAR, false},
      {"the field has no focus", CURSOR_OTHER, 0, -1, u"https://a.example/", CONTROL_WEB_VIEW, false},
      {"a res:// entry", CURSOR_OTHER, 0, -1, u"res://startpage", CONTROL_ADDRESS_BAR, false},
      {"a hand over a link", CURSOR_HAND, 1, -1, u"https://a.example/", CONTROL_ADDRESS_BAR, true},
  };
  for (const auto& c : cases) {
    std::size_t before = 0;
    Running r([&](Running& r) {
      before = r.s.web.requested.size();
      auto& bar = r.t().control(CONTROL_ADDRESS_BAR);
      bar.selected = c.selected;
      bar.text = c.field;
      r.t().focus = c.focus;
      r.t().cursor = c.cursor;
      r.b().page.lastDropDownIndex = c.lastIndex;
      r.t().raise(ev(WM_LBUTTONUP));
    });
    SCOPED_TRACE(c.what);
    const bool navigated = r.s.web.requested.size() > before;
    EXPECT_EQ(navigated, c.navigates);
    if (c.navigates) {
      EXPECT_EQ(r.s.web.requested.back(), c.field);
      EXPECT_EQ(r.t().currentTitle(), u"Loading...");
      EXPECT_EQ(r.t().focus, CONTROL_WEB_VIEW);
      EXPECT_EQ(r.b().page.lastDropDownIndex, c.selected);
    } else {
      EXPECT_NE(r.t().currentTitle(), u"Loading...");
    }
  }
}

TEST(ClickRule, ALinkOnTheVideoSiteNudgesTheWebViewOnePixelUntilTheNextResize) {
  struct Case { const char* what; int cursor; bool maximise; int heightLost; };
  const Case cases[] = {
      {"link, normal window", CURSOR_HAND, false, 2},
      {"no link", CURSOR_OTHER, false, 0},
      {"maximised", CURSOR_HAND, true, 0},
  };
  for (const auto& c : cases) {
    int before = 0, after = 0, restored = 0;
    Running r(
        [&](Running& r) {
          if (c.maximise) r.t().userMaximize();
          r.t().cursor = c.cursor;
          r.t().focus = CONTROL_WEB_VIEW;
          r.t().script.push_back([&] {
            before = r.s.web.where.h;
            r.t().raise(ev(WM_LBUTTONUP));
          });
          r.t().script.push_back([&] { r.t().raise(ev(WM_LBUTTONUP)); });
          r.t().script.push_back([&] {
            after = r.s.web.where.h;
            r.t().userResize(r.t().geometry.w, r.t().geometry.h);
          });
          r.t().script.push_back([&] { restored = r.s.web.where.h; });
        },
        {u"https://www.youtube.com/watch"});
    EXPECT_EQ(before - after, c.heightLost) << c.what;
    EXPECT_EQ(restored, before) << c.what;
  }
}

TEST(DropRule, OneFileOfASensibleSizeIsOpenedEverythingElseOnlyFillsTheField) {
  struct Case { const char* what; std::vector<Text> files; Text text; Text field; bool navigates; };
  const Text nine = u"/d/nine.html", eight = u"/d/eight.html", big = u"/d/big.html",
             max = u"/d/max.html", folder = u"/d";
  const Case cases[] = {
      {"a file of 9 bytes", {nine}, u"", nine, true},
      {"a file of exactly the largest size", {max}, u"", max, true},
      {"a file of 8 bytes", {eight}, u"", u"", false},
      {"a file one byte too large", {big}, u"", u"", false},
      {"a folder", {folder}, u"", u"", false},
      {"two files", {nine, nine}, u"", u"", false},
      {"a missing file", {u"/d/none"}, u"", u"", false},
      {"some text", {}, u"hello world", u"hello world", false},
  };
  for (const auto& c : cases) {
    std::size_t before = 0;
    Running r([&](Running& r) {
      r.s.files.put(nine, std::string(9, 'x'));
      r.s.files.put(eight, std::string(8, 'x'));
      r.s.files.put(max, std::string(15123122, 'x'));
      r.s.files.put(big, std::string(15123123, 'x'));
      r.s.files.putFolder(folder);
      r.t().control(CONTROL_ADDRESS_BAR).text = u"before";
      before = r.s.web.requested.size();
      Event drop = ev(EVENT_DROP);
      drop.droppedFiles = c.files;
      drop.droppedText = c.text;
      r.t().raise(drop);
    });
    SCOPED_TRACE(c.what);
    EXPECT_EQ(r.t().control(CONTROL_ADDRESS_BAR).text, c.field);
    EXPECT_EQ(r.s.web.requested.size() > before, c.navigates);
    if (c.navigates) {
      EXPECT_EQ(r.s.web.requested.back(), c.files[0]);
    }
  }
}

TEST(Timer, TheAddressIsRecheckedOnlyWhileTheFieldHasNoFocus) {
  for (int focus : {CONTROL_ADDRESS_BAR, CONTROL_WEB_VIEW}) {
    bool queued = false;
    Running r([&](Running& r) {
      r.t().focus = focus;
      handleEvent(r.b(), ev(EVENT_TIMER));
      handleEvent(r.b(), ev(EVENT_TIMER));
      queued = r.b().events.size() == 1 && r.b().events.take()->number == EVENT_RECHECK_ADDRESS;
      if (focus == CONTROL_ADDRESS_BAR) queued = !r.b().events.empty() || queued;
    });
    EXPECT_EQ(queued, focus != CONTROL_ADDRESS_BAR) << focus;
  }
}

TEST(Layout, ControlsFollowTheWindowSize) {
  Running r([](Running& r) { r.t().userResize(1000, 700); });
  auto& t = r.t();
  EXPECT_EQ(t.control(CONTROL_TEXT_VIEW).desc.rect, (Rect{0, 24, 1001, 676}));
  EXPECT_EQ(t.control(CONTROL_MONITOR_VIEW).desc.rect, (Rect{0, 24, 1001, 676}));
  EXPECT_EQ(t.control(CONTROL_ADDRESS_BAR).desc.rect, (Rect{0, 1, 970, 23}));
  EXPECT_EQ(t.control(CONTROL_STATUS_STRIP).desc.rect, (Rect{0, 24, 970, 2}));
  EXPECT_EQ(t.control(CONTROL_MENU_BUTTON).desc.rect, (Rect{970, 3, 32, 23}));
  EXPECT_EQ(r.s.web.where, (Rect{0, 26, 1000, 674}));
  EXPECT_GE(r.s.web.pageFocus, 1);
}

TEST(Layout, TheWindowStaysWithinItsSizeBounds) {
  struct Case { int w, h; Rect client; };
  const Case cases[] = {
      {100, 100, {20, 20, 510, 200}},
      {3000, 3000, {20, 20, 2424, 2424}},
      {800, 600, {20, 20, 800, 600}},
  };
  for (const auto& c : cases) {
    Running r([&](Running& r) { r.t().userResize(c.w, c.h); });
    EXPECT_EQ(r.t().geometry, c.client);
    EXPECT_EQ(r.s.web.where, (Rect{0, 26, c.client.w, c.client.h - 26}));
  }
}

TEST(Layout, WithoutChromeThePageFillsTheWindow) {
  Running r([](Running& r) { r.t().userResize(800, 600); }, {u"-nc", u"https://x.org/"});
  auto& t = r.t();
  EXPECT_EQ(r.s.web.where, (Rect{0, 0, 800, 600}));
  EXPECT_FALSE(t.controlVisible(CONTROL_ADDRESS_BAR));
  EXPECT_FALSE(t.controlVisible(CONTROL_STATUS_STRIP));
  EXPECT_EQ(t.control(CONTROL_MENU_BUTTON).desc.rect.h, -3);
}

TEST(Layout, TheAddressFieldShowsThePageAfterAResize) {
  struct Case { const char* what; Text pageUrl; std::vector<Text> params; Text field; };
  const Case cases[] = {
      {"a page", u"https://x.org/", {u"https://x.org/"}, u"https://x.org/"},
      {"about:blank keeps the text", u"about:blank", {u"https://x.org/"}, u"typed"},
      {"no title yet empties it", u"", {u"https://x.org/"}, u""},
      {"the start page", u"", {}, u"res://startpage"},
  };
  for (const auto& c : cases) {
    Running r(
        [&](Running& r) {
          r.b().page.setCurrentUrl(c.pageUrl);
          r.t().control(CONTROL_ADDRESS_BAR).text = u"typed";
          r.t().userMaximize();
        },
        c.params);
    EXPECT_EQ(r.t().control(CONTROL_ADDRESS_BAR).text, c.field) << c.what;
  }
}

TEST(AddressBar, ReadsAtMost259Characters) {
  struct Case { std::size_t length; std::size_t read; };
  for (const auto& c : {Case{0, 0}, Case{259, 259}, Case{260, 259}, Case{300, 259}, Case{100000, 259}}) {
    Running r([&](Running& r) {
      r.t().control(CONTROL_ADDRESS_BAR).text = Text(c.length, u'a');
      EXPECT_EQ(readAddressBarText(r.b()).size(), c.read);
    });
  }
}

TEST(Loop, OnlyTheCloseEventEndsIt) {
  Running r([](Running& r) {
    for (int n : {EVENT_MENU, EVENT_GADGET, EVENT_RECHECK_ADDRESS, EVENT_MAXIMIZE, 12345})
      r.t().raise(ev(n));
    r.t().raiseGadget(CONTROL_MENU_BUTTON, 0);
    r.t().script.push_back([] {});
  });
  EXPECT_EQ(r.t().waits, 3) << "two script steps, then the close";
  EXPECT_EQ(r.s.host.exitCode, 0);
}

}  // namespace
}  // namespace halvit
