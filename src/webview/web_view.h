#pragma once
// The embedded HTML engine (control 0). Called from the user-interface thread only.
// The platform translates the engine's signals into calls on the EngineRelay it is given;
// the relay holds the rules of what reaches the program and when.
#include <functional>

#include "text/text.h"
#include "ui/toolkit.h"

namespace halvit {

class EngineRelay;

// Web event types, raised as EVENT_GADGET events of the web view control.
constexpr int WEB_TITLE_CHANGE = 65617;
constexpr int WEB_STATUS_CHANGE = 65618;
constexpr int WEB_POPUP_BLOCKED = 65619;
constexpr int WEB_DOWNLOAD_BEGIN = 65620;
constexpr int WEB_PROGRESS = 65621;
constexpr int WEB_DOWNLOAD_COMPLETE = 65622;
constexpr int WEB_CONTEXT_MENU = 65623;

// Navigation errors that are not HTTP statuses, as negative codes alike on every platform.
constexpr int INET_E_DOWNLOAD_FAILURE = static_cast<int>(0x800C0008);
constexpr int INET_E_RESOURCE_NOT_FOUND = static_cast<int>(0x800C0005);
constexpr int INET_E_CANNOT_CONNECT = static_cast<int>(0x800C0004);
constexpr int INET_E_SECURITY_PROBLEM = static_cast<int>(0x800C000E);
constexpr int INET_E_INVALID_URL = static_cast<int>(0x800C0002);
constexpr int INET_E_CONNECTION_TIMEOUT = static_cast<int>(0x800C000B);
constexpr int INET_E_REDIRECT_FAILED = static_cast<int>(0x800C0014);

// Called for every navigation request of the page and its frames: false cancels it.
using NavigationCallback = std::function<bool(int control, const Text& url)>;

// The two engine events that do not go through the event loop: a failed navigation and a
// page's request for a new window (which the engine never gets to open itself).
class BrowserEventSink {
 public:
  virtual ~BrowserEventSink() = default;
  virtual void onNavigateError(int statusCode, const Text& url) = 0;
  virtual void onNewWindow(const Text& url) = 0;
};

class WebView {
 public:
  virtual ~WebView() = default;

  // Makes the control, loads about:blank and waits for it, then navigates to `address`
  // unless empty. Engine signals go to `relay` from then on.
  virtual bool create(int control, const Rect& rect, const Text& address, EngineRelay& relay) = 0;
  virtual void destroy() = 0;
  virtual void* browser() = 0;  // the engine's own object, opaque to the core

  // Empty text does nothing; "about:" followed by HTML shows that HTML as a page.
  virtual void navigate(const Text& url) = 0;
  virtual Text currentUrl() = 0;
  virtual Text pageSource() = 0;
  virtual Text pageTitle() = 0;
  virtual Text statusText() = 0;
  virtual Text selectedText() = 0;
  virtual void showHtml(const Text& html) = 0;

  virtual void goBack() = 0;
  virtual void goForward() = 0;
  virtual void stop() = 0;
  virtual void refresh() = 0;
  virtual void showFindDialog() = 0;
  virtual void showPropertiesDialog() = 0;

  virtual void setSilent() = 0;
  virtual void suppressContextMenu() = 0;
  virtual void setNavigationCallback(NavigationCallback fn) = 0;
  virtual void connectEventSink(BrowserEventSink& sink) = 0;

  // Waits, dropping pending window events, until the engine is idle; false without a document.
  virtual bool waitForDocument() = 0;
  virtual void runScript(const Text& script) = 0;
  virtual void focusPage() = 0;

  virtual void move(const Rect& rect) = 0;
  virtual Rect rect() = 0;
  virtual void show(bool visible) = 0;
};

}  // namespace halvit
