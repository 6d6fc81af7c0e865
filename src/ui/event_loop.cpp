#include "ui/event_loop.h"

#include "app/browser.h"
#include "ui/main_window.h"

namespace halvit {

int currentCursorHandle(Browser& browser) { return browser.toolkit.currentCursorHandle(); }

namespace {

void onLeftButtonUp(Browser& browser) {
  Toolkit& toolkit = browser.toolkit;
  WebView& web = browser.webView;
  if (currentCursorHandle(browser) == CURSOR_HAND && contains(web.currentUrl(), VIDEO_SITE_FRAGMENT) &&
      !toolkit.isMaximized()) {
    Rect r = web.rect();
    r.h -= 1;
    web.move(r);
  }
  if (currentCursorHandle(browser) == CURSOR_IBEAM) return;

  PageState& page = browser.page;
  page.addressText = readAddressBarText(browser);
  const int selected = toolkit.selectedListIndex(CONTROL_ADDRESS_BAR);
  const bool choseEntry = page.lastDropDownIndex != selected && !page.addressText.empty() &&
                          page.addressText != web.currentUrl() &&
                          toolkit.focusedControl() == CONTROL_ADDRESS_BAR &&
                          !startsWith(toolkit.controlText(CONTROL_ADDRESS_BAR), u"res://");
  if (!choseEntry) return;
  page.lastDropDownIndex = selected;
  toolkit.setTitle(u"Loading...");
  // The hidden monitor view takes the focus so that the address field loses it.
  toolkit.focusControl(CONTROL_MONITOR_VIEW);
  web.navigate(page.addressText);
  toolkit.focusControl(CONTROL_WEB_VIEW);
}

void onDrop(Browser& browser, const Event& event) {
  Text files;
  for (std::size_t i = 0; i < event.droppedFiles.size(); ++i) {
    if (i > 0) files.push_back(u'\n');
    files += event.droppedFiles[i];
  }
  if (!files.empty() && browser.files.kindOf(files) == FileKind::File) {
    auto size = browser.files.fileSize(files);
    if (size && *size >= DROP_MIN_FILE_BYTES && *size <= DROP_MAX_FILE_BYTES) {
      browser.toolkit.setControlText(CONTROL_ADDRESS_BAR, files);
      browser.webView.navigate(files);
      return;
    }
  }
  browser.toolkit.setControlText(CONTROL_ADDRESS_BAR, event.droppedText);
}

void onTimer(Browser& browser) {
  if (browser.toolkit.focusedControl() != CONTROL_ADDRESS_BAR) {
    Event recheck;
    recheck.number = EVENT_RECHECK_ADDRESS;
    browser.events.post(recheck);
  }
}

void onSize(Browser& browser) { browser.webView.move(webViewRect(browser)); }

}  // namespace

bool handleEvent(Browser& browser, const Event& event) {
  switch (event.number) {
    case WM_LBUTTONUP:
      onLeftButtonUp(browser);
      break;
    case EVENT_DROP:
      onDrop(browser, event);
      break;
    case EVENT_TIMER:
      onTimer(browser);
      break;
    case EVENT_SIZE:
      onSize(browser);
      break;
    case EVENT_CLOSE:
      return false;
    default:
      // The address re-check, menus, commands and the page's own events are taken here too;
      // their handlers join the loop as they are built.
      break;
  }
  return true;
}

void runEventLoop(Browser& browser) {
  while (true) {
    if (browser.events.empty()) browser.toolkit.waitForEvents();
    auto event = browser.events.take();
    if (!event) continue;
    if (!handleEvent(browser, *event)) return;
  }
}

}  // namespace halvit
