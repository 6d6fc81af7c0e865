#pragma once
// A toolkit in memory: it records the window, the controls, titles, focus, message boxes and
// injected keys, and plays a script of user actions while the loop waits. When the script is
// done the user closes the window, so a test's loop always ends.
#include <deque>
#include <map>
#include <vector>

#include "ui/event_queue.h"
#include "ui/toolkit.h"

namespace halvit::sim {

struct SimControl {
  ControlSpec desc;
  Text text;
  bool visible = true;
  int colour = -1;
  std::vector<Text> items;
  int selected = -1;
  bool dropsEnabled = false;
};

class SimToolkit : public Toolkit {
 public:
  // What the user does, one step per wait of the loop.
  std::deque<std::function<void()>> script;

  // Recorded state.
  bool windowOpen = false;
  WindowSpec window;
  Rect geometry;  // outer x, y; client w, h
  bool maximized = false;
  bool minimized = false;
  bool inFront = false;
  std::vector<Text> titles;  // every title set, in order; the first is the opening title
  std::map<int, SimControl> controls;
  std::vector<int> controlOrder;
  std::optional<int> focus;
  std::map<int, int> timers;
  int cursor = 0;
  std::vector<Key> injectedKeys;
  struct Box { Text title, text; MessageKind kind; };
  std::vector<Box> messageBoxes;
  bool released = false;
  int waits = 0;

  // User actions for scripts.
  void userResize(int w, int h);
  void userMaximize();
  void userMinimize();
  void userClose();
  void raise(const Event& event);
  void raiseGadget(int control, int type);

  SimControl& control(int number) { return controls.at(number); }
  Text currentTitle() const { return titles.empty() ? Text() : titles.back(); }

  void attachQueue(EventQueue& queue) override { queue_ = &queue; }
  void waitForEvents() override;
  bool openWindow(const WindowSpec& desc) override;
  void bringToFront() override { inFront = true; }
  void setTitle(const Text& title) override { titles.push_back(title); }
  Text title() override { return currentTitle(); }
  Rect windowGeometry() override { return geometry; }
  bool isMaximized() override { return maximized; }
  bool isMinimized() override { return minimized; }
  void startTimer(int timer, int periodMs) override { timers[timer] = periodMs; }
  bool createControl(const ControlSpec& desc) override;
  void moveControl(int control, const Rect& rect) override;
  void setControlText(int control, const Text& text) override;
  Text controlText(int control) override;
  void showControl(int control, bool visible) override;
  bool controlVisible(int control) override;
  void setControlColour(int control, int background) override;
  void focusControl(int control) override { focus = control; }
  std::optional<int> focusedControl() override { return focus; }
  void addListItem(int control, const Text& item) override;
  int selectedListIndex(int control) override;
  void enableDrops(int control) override;
  int currentCursorHandle() override { return cursor; }
  void injectKey(Key key) override { injectedKeys.push_back(key); }
  void messageBox(const Text& title, const Text& text, MessageKind kind) override {
    messageBoxes.push_back({title, text, kind});
  }
  void invokeOnUi(const std::function<void()>& fn) override { fn(); }
  void release() override { released = true; }

 private:
  Rect clampToBounds(Rect r) const;
  EventQueue* queue_ = nullptr;
};

}  // namespace halvit::sim
