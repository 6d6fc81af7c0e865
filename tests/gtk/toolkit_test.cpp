#include "platform/gtk/toolkit.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "gtk_display.h"
#include "ui/event_queue.h"
#include "ui/ids.h"

namespace halvit::gtk {
namespace {

using test::pumpFor;
using test::pumpUntil;

constexpr int W = 650, H = 570;

// A main window on the real toolkit, with the controls the program lays out in it.
struct MainWindow {
  GtkPlatformState state;
  GtkToolkit toolkit{state};
  EventQueue queue;
  bool opened = false;

  explicit MainWindow(Rect geometry = {20, 20, W, H}, bool centred = false) {
    toolkit.attachQueue(queue);
    WindowSpec desc;
    desc.number = WINDOW_MAIN;
    desc.className = WINDOW_CLASS_NAME;
    desc.title = u"Halvit test";
    desc.geometry = geometry;
    desc.centred = centred;
    desc.minW = WINDOW_MIN_W;
    desc.minH = WINDOW_MIN_H;
    desc.maxW = WINDOW_MAX_W;
    desc.maxH = WINDOW_MAX_H;
    desc.background = COLOUR_WHITE;
    opened = toolkit.openWindow(desc);
    toolkit.bringToFront();
    pumpUntil([this] { return state.window && gtk_widget_get_mapped(state.window); });
  }
  ~MainWindow() { toolkit.release(); }

  void createControls() {
    auto make = [this](int number, ControlKind kind, Rect rect, ControlFlag flags, Font font,
                       Text text) {
      ControlSpec desc;
      desc.number = number;
      desc.kind = kind;
      desc.rect = rect;
      desc.flags = flags;
      desc.font = font;
      desc.text = text;
      desc.background = number == CONTROL_STATUS_STRIP ? COLOUR_GREEN : -1;
      EXPECT_TRUE(toolkit.createControl(desc));
    };
    make(CONTROL_STATUS_STRIP, ControlKind::Static, {0, 24, W - 30, 2}, ControlFlag::None, {}, u"");
    make(CONTROL_MONITOR_VIEW, ControlKind::RichTextView, {0, 24, W + 1, H - 24},
         ControlFlag::Hidden, {u"Consolas", 9}, u"SESSION MONITOR (ESC TO EXIT)\r\n");
    make(CONTROL_TEXT_VIEW, ControlKind::RichTextView, {0, 24, W + 1, H - 24},
         ControlFlag::Hidden | ControlFlag::WrapLines, {u"Consolas", 11}, u"");
    make(CONTROL_MENU_BUTTON, ControlKind::Static, {W - 30, 3, 32, TOOLBAR_HEIGHT},
         ControlFlag::ReportsClicks, {u"Arial", 13}, u"  \u2261");
    make(CONTROL_ADDRESS_BAR, ControlKind::ComboBox, {0, 1, W - 30, TOOLBAR_HEIGHT},
         ControlFlag::None, {u"MS Sans Serif", 10}, u"");
    pumpUntil([this] { return rectOf(widget(CONTROL_ADDRESS_BAR)).h > 1; });
  }

  GtkWidget* widget(int control) {
    const std::string name = "halvit-control-" + std::to_string(control);
    GtkWidget* found = nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(state.client));
    for (GList* c = children; c; c = c->next)
      if (name == gtk_widget_get_name(GTK_WIDGET(c->data))) found = GTK_WIDGET(c->data);
    g_list_free(children);
    return found;
  }

  // Where a widget really is, in client coordinates.
  Rect rectOf(GtkWidget* w) {
    if (!w) return {};
    Rect r;
    gtk_widget_translate_coordinates(w, state.client, 0, 0, &r.x, &r.y);
    GtkAllocation a;
    gtk_widget_get_allocation(w, &a);
    r.w = a.width;
    r.h = a.height;
    return r;
  }

  std::vector<Event> drain() {
    std::vector<Event> events;
    while (auto e = queue.take()) events.push_back(*e);
    return events;
  }

  bool waitForEvent(int number, int control = -1, int type = -1) {
    bool seen = false;
    pumpUntil([&] {
      while (auto e = queue.take())
        if (e->number == number && (control < 0 || e->control == control) &&
            (type < 0 || e->type == type))
          seen = true;
      return seen;
    }, 5000);
    return seen;
  }
};

void putButton(GdkWindow* window, GdkEventType type) {
  GdkEvent* event = gdk_event_new(type);
  event->button.window = GDK_WINDOW(g_object_ref(window));
  event->button.button = 1;
  event->button.time = GDK_CURRENT_TIME;
  event->button.x = 4;
  event->button.y = 1;
  gdk_event_set_device(event,
                       gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
  gdk_event_put(event);
  gdk_event_free(event);
}

TEST(GtkToolkit, ControlsSitAtTheirExactClientRectangles) {
  HALVIT_NEEDS_DISPLAY();
  MainWindow win;
  ASSERT_TRUE(win.opened);
  win.createControls();

  struct Row {
    int control;
    bool shown;
    Rect rect;
  };
  // The address field fits its 23-pixel row, the strip is 2 pixels under it, the page from 26.
  const Row rows[] = {
      {CONTROL_ADDRESS_BAR, true, {0, 1, W - 30, 23}},
      {CONTROL_STATUS_STRIP, true, {0, 24, W - 30, 2}},
      {CONTROL_MENU_BUTTON, true, {W - 30, 3, 32, 23}},
      {CONTROL_MONITOR_VIEW, false, {}},
      {CONTROL_TEXT_VIEW, false, {}},
  };
  for (const auto& row : rows) {
    GtkWidget* w = win.widget(row.control);
    ASSERT_NE(w, nullptr) << row.control;
    EXPECT_EQ(gtk_widget_get_visible(w), row.shown) << row.control;
    if (row.shown) {
      EXPECT_EQ(win.rectOf(w), row.rect) << row.control;
    }
  }
  EXPECT_EQ(win.toolkit.windowGeometry(), (Rect{20, 20, W, H}));

  // A control squeezed to no height is not shown, yet stays visible to the program.
  win.toolkit.moveControl(CONTROL_STATUS_STRIP, {0, 24, W - 30, 0});
  EXPECT_FALSE(gtk_widget_get_visible(win.widget(CONTROL_STATUS_STRIP)));
  EXPECT_TRUE(win.toolkit.controlVisible(CONTROL_STATUS_STRIP));
  win.toolkit.showControl(CONTROL_TEXT_VIEW, true);
  EXPECT_TRUE(gtk_widget_get_visible(win.widget(CONTROL_TEXT_VIEW)));
  EXPECT_TRUE(win.toolkit.controlVisible(CONTROL_TEXT_VIEW));

  // COLORREF is blue-green-red.
  win.toolkit.setControlColour(CONTROL_STATUS_STRIP, 0x00336699);
  GdkRGBA* colour = nullptr;
  gtk_style_context_get(gtk_widget_get_style_context(win.widget(CONTROL_STATUS_STRIP)),
                        GTK_STATE_FLAG_NORMAL, "background-color", &colour, nullptr);
  ASSERT_NE(colour, nullptr);
  EXPECT_NEAR(colour->red, 0x99 / 255.0, 0.01);
  EXPECT_NEAR(colour->green, 0x66 / 255.0, 0.01);
  EXPECT_NEAR(colour->blue, 0x33 / 255.0, 0.01);
  gdk_rgba_free(colour);
}

TEST(GtkToolkit, SizeBoundsHoldAtOpeningAndOnResize) {
  HALVIT_NEEDS_DISPLAY();
  MainWindow win({30, 40, 100, 100});
  ASSERT_TRUE(win.opened);
  Rect r = win.toolkit.windowGeometry();
  EXPECT_EQ(r.w, WINDOW_MIN_W);
  EXPECT_EQ(r.h, WINDOW_MIN_H);
  win.drain();

  gtk_window_resize(GTK_WINDOW(win.state.window), 300, 3000);
  EXPECT_TRUE(win.waitForEvent(EVENT_SIZE));
  r = win.toolkit.windowGeometry();
  EXPECT_EQ(r.w, WINDOW_MIN_W);
  EXPECT_EQ(r.h, WINDOW_MAX_H);
}

TEST(GtkToolkit, ACentredWindowSitsInTheMiddleOfTheScreenButNeverOffItsTopLeft) {
  HALVIT_NEEDS_DISPLAY();
  GdkRectangle screen;
  gdk_monitor_get_workarea(gdk_display_get_monitor(gdk_display_get_default(), 0), &screen);
  struct Row {
    int w, h;
    int x, y;
  };
  const Row rows[] = {
      {W, H, screen.x + (screen.width - W) / 2, screen.y + (screen.height - H) / 2},
      {screen.width + 200, screen.height + 100, screen.x, screen.y},
  };
  for (const auto& row : rows) {
    MainWindow win({-500, -500, row.w, row.h}, true);
    EXPECT_EQ(win.toolkit.windowGeometry(), (Rect{row.x, row.y, row.w, row.h})) << row.w;
  }
}

TEST(GtkToolkit, TextsOfEveryKindOfControl) {
  HALVIT_NEEDS_DISPLAY();
  MainWindow win;
  win.createControls();
  struct Row {
    int control;
    Text text;
    Text reads;
  };
  const Row rows[] = {
      {CONTROL_ADDRESS_BAR, u"https://b\u00fccher.example/?q=\u2261", u"https://b\u00fccher.example/?q=\u2261"},
      {CONTROL_ADDRESS_BAR, u"", u""},
      {CONTROL_TEXT_VIEW, u"one\r\nzwei \U0001F600\r\n", u"one\r\nzwei \U0001F600\r\n"},
      {CONTROL_MONITOR_VIEW, u"", u""},
      {CONTROL_STATUS_STRIP, u"Done\r\n", u"Done\n"},  // a static has no use for CR
      {CONTROL_MENU_BUTTON, u"  \u2261", u"  \u2261"},
      {12345, u"no such control", u""},
  };
  for (const auto& row : rows) {
    win.toolkit.setControlText(row.control, row.text);
    EXPECT_EQ(win.toolkit.controlText(row.control), row.reads) << row.control;
  }

  EXPECT_EQ(win.toolkit.selectedListIndex(CONTROL_ADDRESS_BAR), -1);
  for (const Text& item : {Text(u"https://a.example"), Text(u"https://b.example")})
    win.toolkit.addListItem(CONTROL_ADDRESS_BAR, item);
  gtk_combo_box_set_active(GTK_COMBO_BOX(win.widget(CONTROL_ADDRESS_BAR)), 1);
  EXPECT_EQ(win.toolkit.selectedListIndex(CONTROL_ADDRESS_BAR), 1);
  EXPECT_EQ(win.toolkit.controlText(CONTROL_ADDRESS_BAR), u"https://b.example");
  EXPECT_EQ(win.toolkit.selectedListIndex(CONTROL_STATUS_STRIP), -1);
}

TEST(GtkToolkit, WindowAndControlSignalsBecomeEvents) {
  HALVIT_NEEDS_DISPLAY();
  MainWindow win;
  win.createControls();
  win.drain();

  // The close box asks; the window stays until the program ends.
  gtk_window_close(GTK_WINDOW(win.state.window));
  EXPECT_TRUE(win.waitForEvent(EVENT_CLOSE));
  EXPECT_NE(win.state.window, nullptr);

  // A press on the menu button is a click of control 99; the release, anywhere in the
  // window, is the left-button-up the loop looks at.
  GdkWindow* button = gtk_widget_get_window(win.widget(CONTROL_MENU_BUTTON));
  putButton(button, GDK_BUTTON_PRESS);
  EXPECT_TRUE(win.waitForEvent(EVENT_GADGET, CONTROL_MENU_BUTTON, 0));
  putButton(button, GDK_BUTTON_RELEASE);
  EXPECT_TRUE(win.waitForEvent(WM_LBUTTONUP));

  win.toolkit.startTimer(TIMER_MAIN, 20);
  win.drain();
  win.toolkit.waitForEvents();
  auto timer = win.queue.take();
  ASSERT_TRUE(timer.has_value());
  EXPECT_EQ(timer->number, EVENT_TIMER);

  struct Seen {
    guint keyval = 0;
    guint16 keycode = 0;
  } seen;
  g_signal_connect(win.state.window, "key-press-event",
                   G_CALLBACK(+[](GtkWidget*, GdkEventKey* key, Seen* s) -> gboolean {
                     s->keyval = key->keyval;
                     s->keycode = key->hardware_keycode;
                     return FALSE;
                   }),
                   &seen);
  win.toolkit.injectKey(Key::Escape);
  EXPECT_TRUE(pumpUntil([&] { return seen.keyval == GDK_KEY_Escape; }));
  EXPECT_NE(seen.keycode, 0);
}

TEST(GtkToolkit, InvokeOnUiRunsOnTheInterfaceThreadAndWakesTheWait) {
  HALVIT_NEEDS_DISPLAY();
  MainWindow win;
  win.drain();
  std::thread::id ranOn;
  std::thread worker([&] {
    win.toolkit.invokeOnUi([&] {
      ranOn = std::this_thread::get_id();
      Event e;
      e.number = EVENT_MENU;
      win.queue.raise(e);
    });
  });
  win.toolkit.waitForEvents();
  worker.join();
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  auto event = win.queue.take();
  ASSERT_TRUE(event.has_value());
  EXPECT_EQ(event->number, EVENT_MENU);
}

TEST(GtkToolkit, FocusAndPointerShape) {
  HALVIT_NEEDS_DISPLAY();
  MainWindow win;
  win.createControls();
  // A stand-in for the engine's widget where the page sits.
  GtkWidget* page = gtk_drawing_area_new();
  gtk_widget_set_can_focus(page, TRUE);
  gtk_fixed_put(GTK_FIXED(win.state.client), page, 0, 26);
  gtk_widget_set_size_request(page, W, H - 26);
  gtk_widget_show(page);
  win.state.webView = page;
  ASSERT_TRUE(pumpUntil([&] { return gtk_widget_get_allocated_height(page) == H - 26; }));

  for (int control : {CONTROL_ADDRESS_BAR, CONTROL_WEB_VIEW, CONTROL_MONITOR_VIEW}) {
    win.toolkit.focusControl(control);
    EXPECT_EQ(win.toolkit.focusedControl(), control) << "a hidden view takes the focus too";
  }
  // The address field reports gaining and losing the focus.
  ASSERT_TRUE(pumpUntil([&] { return gtk_window_is_active(GTK_WINDOW(win.state.window)); }));
  win.drain();
  win.toolkit.focusControl(CONTROL_ADDRESS_BAR);
  EXPECT_TRUE(win.waitForEvent(EVENT_GADGET, CONTROL_ADDRESS_BAR, GADGET_FOCUS));
  win.toolkit.focusControl(CONTROL_MONITOR_VIEW);
  EXPECT_TRUE(win.waitForEvent(EVENT_GADGET, CONTROL_ADDRESS_BAR, GADGET_LOST_FOCUS));

  GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default()));
  Rect at = win.toolkit.windowGeometry();
  struct Row {
    int x, y;
    bool link, editable;
    int cursor;
  };
  const Row rows[] = {
      {100, 12, false, false, CURSOR_IBEAM},  // the address field
      {100, 24, true, false, CURSOR_OTHER},   // the strip: the page's last hit test is not here
      {100, 200, true, false, CURSOR_HAND},
      {100, 200, false, true, CURSOR_IBEAM},
      {100, 200, false, false, CURSOR_OTHER},
  };
  for (const auto& row : rows) {
    gdk_device_warp(pointer, gdk_screen_get_default(), at.x + row.x, at.y + row.y);
    gdk_display_sync(gdk_display_get_default());
    win.state.overLink = row.link;
    win.state.overEditable = row.editable;
    EXPECT_EQ(win.toolkit.currentCursorHandle(), row.cursor) << row.x << "," << row.y;
  }
  win.state.webView = nullptr;
}

}  // namespace
}  // namespace halvit::gtk
