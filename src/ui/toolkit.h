#pragma once
// The window toolkit as the core needs it: one numbered top-level window, numbered controls,
// a timer and a blocking wait that feeds the core's event queue. Platforms translate; they
// decide nothing.
#include <functional>
#include <optional>

#include "text/text.h"

namespace halvit {

class EventQueue;

struct Rect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
  bool operator==(const Rect&) const = default;
};

struct WindowSpec {
  int number = 0;
  Text className;
  Text title;
  Rect geometry;  // outer x, y; client width, height
  bool centred = false;
  int minW = 0, minH = 0, maxW = 0, maxH = 0;
  int background = -1;  // COLORREF, -1 for the system's
};

enum class ControlKind {
  Static,         // static text (StatusStrip, and MenuButton with ClickReporting)
  ComboBox,       // editable field with a drop-down list
  RichTextView,   // read-only multi-line text
};

enum class ControlFlag : unsigned {
  None = 0,
  ReportsClicks = 1,    // static text that reports clicks as control events
  WrapLines = 2,        // text view wraps at the right edge (otherwise a horizontal scroll bar)
  Hidden = 4,
};
constexpr ControlFlag operator|(ControlFlag a, ControlFlag b) {
  return static_cast<ControlFlag>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr bool hasFlag(ControlFlag set, ControlFlag f) {
  return (static_cast<unsigned>(set) & static_cast<unsigned>(f)) != 0;
}

struct Font {
  Text name;    // empty: the system's
  int points = 0;
};

struct ControlSpec {
  int number = 0;
  ControlKind kind = ControlKind::Static;
  Rect rect;
  ControlFlag flags = ControlFlag::None;
  int background = -1;  // COLORREF, -1 for the system's
  int foreground = -1;
  Font font;
  Text text;
  int leftMargin = 0;
};

enum class MessageKind { Error, Notice };
enum class Key { Escape };

class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // The platform raises its events into this queue (from its callbacks, on the UI thread).
  virtual void attachQueue(EventQueue& queue) = 0;
  // Blocks until the platform has raised at least one event into the queue.
  virtual void waitForEvents() = 0;

  // The main window.
  virtual bool openWindow(const WindowSpec& desc) = 0;
  virtual void bringToFront() = 0;
  virtual void setTitle(const Text& title) = 0;
  virtual Text title() = 0;
  // Outer x and y on the screen, client width and height: the convention that misc.ini keeps.
  virtual Rect windowGeometry() = 0;
  virtual bool isMaximized() = 0;
  virtual bool isMinimized() = 0;
  virtual void startTimer(int timer, int periodMs) = 0;

  // Controls of the main window. The web view is created through the WebView port.
  virtual bool createControl(const ControlSpec& desc) = 0;
  virtual void moveControl(int control, const Rect& rect) = 0;
  virtual void setControlText(int control, const Text& text) = 0;
  virtual Text controlText(int control) = 0;
  virtual void showControl(int control, bool visible) = 0;
  virtual bool controlVisible(int control) = 0;
  virtual void setControlColour(int control, int background) = 0;
  virtual void focusControl(int control) = 0;
  virtual std::optional<int> focusedControl() = 0;  // the main window's control with the focus
  virtual void addListItem(int control, const Text& item) = 0;
  virtual int selectedListIndex(int control) = 0;    // -1 when none
  virtual void enableDrops(int control) = 0;

  // The pointer shape shown now: CURSOR_HAND, CURSOR_IBEAM or CURSOR_OTHER.
  virtual int currentCursorHandle() = 0;
  // One press and release, delivered like a key the user pressed.
  virtual void injectKey(Key key) = 0;
  virtual void messageBox(const Text& title, const Text& text, MessageKind kind) = 0;

  // Runs fn on the user-interface thread and waits for it.
  virtual void invokeOnUi(const std::function<void()>& fn) = 0;

  // Releases windows, controls and fonts at the end of the process.
  virtual void release() = 0;
};

}  // namespace halvit
