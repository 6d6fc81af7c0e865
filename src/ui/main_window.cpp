#include "ui/main_window.h"

#include <algorithm>

#include "app/browser.h"

namespace halvit {

namespace {

int clampInt(std::int64_t value, int low, int high) {
  return static_cast<int>(std::clamp<std::int64_t>(value, low, high));
}

// A stored position far outside any screen is still a valid request; keep it in int range.
int positionOf(std::int64_t value) { return clampInt(value, -100000, 100000); }

struct Layout {
  int w, h, t;
};

Layout layoutOf(Browser& browser) {
  Rect client = browser.toolkit.windowGeometry();
  return {client.w, client.h, browser.config.toolbarHeight};
}

Rect textViewRect(const Layout& l) { return {0, 24, l.w + 1, l.h - 24}; }
Rect addressBarRect(const Layout& l) { return {0, 1, l.w - 30, l.t}; }
Rect statusStripRect(const Layout& l) { return {0, 24, l.w - 30, 2}; }
Rect menuButtonRect(const Layout& l) { return {l.w - 30, 3, 32, l.t}; }

}  // namespace

bool openMainWindow(Browser& browser, const Text& firstTitle) {
  const AppConfig& config = browser.config;
  WindowSpec desc;
  desc.number = WINDOW_MAIN;
  desc.className = WINDOW_CLASS_NAME;
  desc.title = firstTitle;
  desc.geometry = {positionOf(config.windowX), positionOf(config.windowY),
                   clampInt(config.windowW, WINDOW_MIN_W, WINDOW_MAX_W),
                   clampInt(config.windowH, WINDOW_MIN_H, WINDOW_MAX_H)};
  desc.centred = (config.windowFlags & WINDOW_FLAG_CENTRED) != 0;
  desc.minW = WINDOW_MIN_W;
  desc.minH = WINDOW_MIN_H;
  desc.maxW = WINDOW_MAX_W;
  desc.maxH = WINDOW_MAX_H;
  desc.background = COLOUR_WHITE;
  if (!browser.toolkit.openWindow(desc)) return false;
  browser.toolkit.bringToFront();
  return true;
}

Rect webViewRect(Browser& browser) {
  Layout l = layoutOf(browser);
  return {0, l.t + 3, l.w, l.h - l.t - 3};
}

void createControls(Browser& browser) {
  Toolkit& toolkit = browser.toolkit;
  const Layout l = layoutOf(browser);
  const bool chrome = l.t >= 1;

  ControlSpec strip;
  strip.number = CONTROL_STATUS_STRIP;
  strip.kind = ControlKind::Static;
  strip.rect = statusStripRect(l);
  strip.background = COLOUR_GREEN;
  strip.flags = chrome ? ControlFlag::None : ControlFlag::Hidden;
  toolkit.createControl(strip);

  ControlSpec monitor;
  monitor.number = CONTROL_MONITOR_VIEW;
  monitor.kind = ControlKind::RichTextView;
  monitor.rect = textViewRect(l);
  monitor.flags = ControlFlag::Hidden;
  monitor.font = {u"Consolas", 9};
  monitor.text = u"SESSION MONITOR (ESC TO EXIT)\r\n";
  toolkit.createControl(monitor);

  ControlSpec textView;
  textView.number = CONTROL_TEXT_VIEW;
  textView.kind = ControlKind::RichTextView;
  textView.rect = textViewRect(l);
  textView.flags = ControlFlag::Hidden | ControlFlag::WrapLines;
  textView.background = COLOUR_TEXT_VIEW_BACK;
  textView.foreground = COLOUR_TEXT_VIEW_TEXT;
  textView.font = {u"Consolas", 11};
  textView.leftMargin = 10;
  toolkit.createControl(textView);

  ControlSpec menuButton;
  menuButton.number = CONTROL_MENU_BUTTON;
  menuButton.kind = ControlKind::Static;
  menuButton.rect = menuButtonRect(l);
  menuButton.flags = ControlFlag::ReportsClicks;
  menuButton.background = COLOUR_WHITE;
  menuButton.font = {u"Arial", 13};
  menuButton.text = u"  \u2261";
  toolkit.createControl(menuButton);

  ControlSpec address;
  address.number = CONTROL_ADDRESS_BAR;
  address.kind = ControlKind::ComboBox;
  address.rect = addressBarRect(l);
  address.flags = chrome ? ControlFlag::None : ControlFlag::Hidden;
  address.font = {u"MS Sans Serif", 10};
  toolkit.createControl(address);
}

void fillAddressList(Browser& browser) {
  for (const Text& entry : browser.config.staticUrlList)
    if (entry.size() >= 3) browser.toolkit.addListItem(CONTROL_ADDRESS_BAR, entry);
}

void ResizeLayout(Browser& browser) {
  Toolkit& toolkit = browser.toolkit;
  const Layout l = layoutOf(browser);
  toolkit.moveControl(CONTROL_TEXT_VIEW, textViewRect(l));
  toolkit.moveControl(CONTROL_MONITOR_VIEW, textViewRect(l));
  toolkit.moveControl(CONTROL_ADDRESS_BAR, addressBarRect(l));
  toolkit.moveControl(CONTROL_STATUS_STRIP, statusStripRect(l));
  toolkit.moveControl(CONTROL_MENU_BUTTON, menuButtonRect(l));
  const Text current = browser.page.currentUrl();
  if (!contains(current, u"about:")) toolkit.setControlText(CONTROL_ADDRESS_BAR, current);
  if (contains(browser.webView.currentUrl(), u"/start.html"))
    toolkit.setControlText(CONTROL_ADDRESS_BAR, u"res://startpage");
  browser.webView.focusPage();
}

Text readAddressBarText(Browser& browser) {
  Text text = browser.toolkit.controlText(CONTROL_ADDRESS_BAR);
  if (text.size() > ADDRESS_BAR_MAX_CHARS) text.resize(ADDRESS_BAR_MAX_CHARS);
  return text;
}

}  // namespace halvit
