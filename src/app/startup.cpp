#include "app/startup.h"

#include <algorithm>
#include <cstdint>

#include "app/command_line.h"
#include "app/config_files.h"
#include "ui/event_loop.h"
#include "ui/main_window.h"

namespace halvit {

namespace {

constexpr const char16_t* PRODUCT_TITLE = u"Halvit 0.65.0.601";
constexpr const char16_t* BUILD_DATE = u"2019-04-09 13:40:35";
// A program file whose path holds this (such as halvit_nsc.exe) runs without safety checks.
constexpr const char16_t* NO_SAFETY_CHECKS_FRAGMENT = u"_nsc.e";
// start.html is used only when it is larger than this many bytes.
constexpr std::uint64_t START_PAGE_MIN_BYTES = 100;

void setProgramPaths(AppConfig& config, const Text& programPath) {
  auto cut = programPath.find_last_of(PATH_SEPARATOR);
  if (cut == Text::npos) {
    config.exeFileName = programPath;
    config.programDir.clear();
  } else {
    config.exeFileName = programPath.substr(cut + 1);
    config.programDir = programPath.substr(0, cut + 1);
  }
}

Text folderWithoutSeparator(const Text& folder) {
  if (folder.size() > 1 && folder.back() == PATH_SEPARATOR) return folder.substr(0, folder.size() - 1);
  return folder;
}

// The web view, created on the start address before the navigation callback exists.
void openWebView(Browser& browser, const Text& address) {
  WebView& web = browser.webView;
  web.create(CONTROL_WEB_VIEW, webViewRect(browser), address, browser.relay);
  web.setSilent();
  TrimWorkingSet(browser);
  web.suppressContextMenu();
  browser.page.browser = web.browser();
}

}  // namespace

void TrimWorkingSet(Browser& browser) { browser.host.trimWorkingSet(); }

void shutdownAndExit(Browser& browser) {
  // Pending misc.ini changes are written before anything is released.
  browser.prefs.close();
  browser.toolkit.release();
  browser.host.exitProcess(0);
}

void runBrowser(Browser& browser) {
  AppConfig& config = browser.config;
  Host& host = browser.host;
  Toolkit& toolkit = browser.toolkit;
  toolkit.attachQueue(browser.events);

  config.productTitle = PRODUCT_TITLE;
  config.buildDate = BUILD_DATE;
  const Text programPath = host.programPath();
  setProgramPaths(config, programPath);

  host.declareDpiAwareness();
  config.guardArmed = 1;
  config.toolbarHeight = TOOLBAR_HEIGHT;
  config.startTick = host.tickMs();

  if (host.systemSupported() == false) {
    shutdownAndExit(browser);
    return;
  }

  config.windowFlags = WINDOW_FLAGS_OVERLAPPED;
  const CommandLine commandLine = parseCommandLine(host.parameters());
  config.firstArg = commandLine.firstArg;
  config.startUrl = completeStartUrl(commandLine.addressText, browser.files);
  if (commandLine.mode == StartMode::NoChrome) {
    config.toolbarHeight = TOOLBAR_HEIGHT_NO_CHROME;
    config.windowFlags += WINDOW_FLAG_CENTRED;
  }

  if (contains(toLowerAscii(programPath), NO_SAFETY_CHECKS_FRAGMENT)) config.safetyChecksOff = 1;

  config.configDir = config.programDir + u"Config" + PATH_SEPARATOR;
  if (browser.files.kindOf(folderWithoutSeparator(config.configDir)) != FileKind::Directory) {
    shutdownAndExit(browser);
    return;
  }
  loadConfiguration(browser);
  if (config.disablePatchLevelChecks == 1) config.safetyChecksOff = 1;

  Text firstTitle = config.productTitle;
  if (commandLine.mode == StartMode::SecondaryInstance) {
    // Saturating: the stored x may be any 64-bit number the user typed.
    config.windowX = std::min<std::int64_t>(config.windowX, INT64_MAX - SECONDARY_INSTANCE_OFFSET_X) +
                     SECONDARY_INSTANCE_OFFSET_X;
    if (!contains(config.startUrl, u"about:blank")) firstTitle.clear();
  }
  openMainWindow(browser, firstTitle);

  const Text startPage = config.programDir + u"start.html";
  if (config.startUrl.empty() || contains(config.startUrl, u":blank")) {
    auto size = browser.files.fileSize(startPage);
    if (size && *size > START_PAGE_MIN_BYTES) config.startUrl = startPage;
  }

  openWebView(browser, config.startUrl);
  createControls(browser);
  fillAddressList(browser);
  toolkit.enableDrops(CONTROL_ADDRESS_BAR);
  toolkit.startTimer(TIMER_MAIN, TIMER_PERIOD_MS);

  if (commandLine.mode == StartMode::NormalWithoutParameter) {
    toolkit.injectKey(Key::Escape);
    toolkit.focusControl(CONTROL_ADDRESS_BAR);
  }
  TrimWorkingSet(browser);

  browser.events.bind(EVENT_SIZE, [&browser] { ResizeLayout(browser); });
  browser.events.bind(EVENT_MAXIMIZE, [&browser] { ResizeLayout(browser); });
  browser.page.lastDropDownIndex = -1;
  toolkit.focusControl(CONTROL_ADDRESS_BAR);

  runEventLoop(browser);

  // A maximised window keeps the geometry it had before; a minimised one reports an
  // off-screen position and an empty client area, so it keeps the stored one too.
  if (!toolkit.isMaximized() && !toolkit.isMinimized() && config.firstArg != u"-nc")
    saveGeometry(browser);
  shutdownAndExit(browser);
}

}  // namespace halvit
