#include "platform/sim/sim_toolkit.h"

#include <algorithm>

#include "ui/ids.h"

namespace halvit::sim {

void SimToolkit::raise(const Event& event) {
  if (queue_) queue_->raise(event);
}

void SimToolkit::raiseGadget(int control, int type) {
  Event event;
  event.number = EVENT_GADGET;
  event.control = control;
  event.type = type;
  raise(event);
}

Rect SimToolkit::clampToBounds(Rect r) const {
  if (window.maxW > 0) r.w = std::clamp(r.w, window.minW, window.maxW);
  if (window.maxH > 0) r.h = std::clamp(r.h, window.minH, window.maxH);
  return r;
}

void SimToolkit::userResize(int w, int h) {
  maximized = false;
  minimized = false;
  geometry = clampToBounds({geometry.x, geometry.y, w, h});
  Event event;
  event.number = EVENT_SIZE;
  raise(event);
}

void SimToolkit::userMaximize() {
  maximized = true;
  geometry = clampToBounds({0, 0, 1280, 1000});
  Event maximize;
  maximize.number = EVENT_MAXIMIZE;
  raise(maximize);
  Event size;
  size.number = EVENT_SIZE;
  raise(size);
}

void SimToolkit::userMinimize() {
  // A minimised window reports an off-screen position and an empty client area, and no
  // size event.
  minimized = true;
  geometry = {-32000, -32000, 0, 0};
}

void SimToolkit::userClose() {
  Event event;
  event.number = EVENT_CLOSE;
  raise(event);
}

void SimToolkit::waitForEvents() {
  ++waits;
  if (script.empty()) {
    userClose();
    return;
  }
  auto step = std::move(script.front());
  script.pop_front();
  step();
}

bool SimToolkit::openWindow(const WindowSpec& desc) {
  window = desc;
  windowOpen = true;
  geometry = clampToBounds(desc.geometry);
  if (desc.centred) {
    constexpr int screenW = 1280, screenH = 1024;
    geometry.x = std::max(0, (screenW - geometry.w) / 2);
    geometry.y = std::max(0, (screenH - geometry.h) / 2);
  }
  titles.push_back(desc.title);
  return true;
}

bool SimToolkit::createControl(const ControlSpec& desc) {
  SimControl c;
  c.desc = desc;
  c.text = desc.text;
  c.visible = !hasFlag(desc.flags, ControlFlag::Hidden);
  c.colour = desc.background;
  controls[desc.number] = c;
  controlOrder.push_back(desc.number);
  return true;
}

void SimToolkit::moveControl(int control, const Rect& rect) {
  if (controls.count(control)) controls[control].desc.rect = rect;
}

void SimToolkit::setControlText(int control, const Text& text) {
  if (controls.count(control)) controls[control].text = text;
}

Text SimToolkit::controlText(int control) {
  return controls.count(control) ? controls[control].text : Text();
}

void SimToolkit::showControl(int control, bool visible) {
  if (controls.count(control)) controls[control].visible = visible;
}

bool SimToolkit::controlVisible(int control) {
  return controls.count(control) && controls[control].visible;
}

void SimToolkit::setControlColour(int control, int background) {
  if (controls.count(control)) controls[control].colour = background;
}

void SimToolkit::addListItem(int control, const Text& item) {
  if (controls.count(control)) controls[control].items.push_back(item);
}

int SimToolkit::selectedListIndex(int control) {
  return controls.count(control) ? controls[control].selected : -1;
}

void SimToolkit::enableDrops(int control) {
  if (controls.count(control)) controls[control].dropsEnabled = true;
}

}  // namespace halvit::sim
