#pragma once
// The engine on Linux: a WebKitWebView in the main window's client area. Every engine signal
// is passed to the EngineRelay, which holds the rules of what reaches the program.
#include <webkit2/webkit2.h>

#include <string>

#include "platform/gtk/platform_state.h"
#include "webview/web_view.h"

namespace halvit::gtk {

// The INET_E_* code a failed load reports, alike on every platform; 0 for a load that was
// only cancelled (stopped, replaced by another, or refused by our own navigation callback).
int navigationErrorCode(const GError* error);

// The address the engine loads for a text given to navigate, read as the Windows control reads
// it: an absolute path is a file, and a text without a scheme ("example.com",
// "localhost:8000") a web address.
std::string engineUri(const Text& url);

class NestedLoop;

class GtkWebView : public WebView {
 public:
  explicit GtkWebView(GtkPlatformState& state);
  ~GtkWebView() override;
  GtkWebView(const GtkWebView&) = delete;
  GtkWebView& operator=(const GtkWebView&) = delete;

  bool create(int control, const Rect& rect, const Text& address, EngineRelay& relay) override;
  void destroy() override;
  void* browser() override { return view_; }

  void navigate(const Text& url) override;
  Text currentUrl() override;
  Text pageSource() override;
  Text pageTitle() override;
  Text statusText() override;
  Text selectedText() override;
  void showHtml(const Text& html) override;

  void goBack() override;
  void goForward() override;
  void stop() override;
  void refresh() override;
  void showFindDialog() override;
  void showPropertiesDialog() override;

  void setSilent() override { silent_ = true; }
  void suppressContextMenu() override { suppressContextMenu_ = true; }
  void setNavigationCallback(NavigationCallback fn) override;
  void connectEventSink(BrowserEventSink& sink) override;

  bool waitForDocument() override;
  void runScript(const Text& script) override;
  void focusPage() override;

  void move(const Rect& rect) override;
  Rect rect() override { return rect_; }
  void show(bool visible) override;

 private:
  WebKitWebContext* context();
  void place();
  void releaseEngine();

  static gboolean onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                 WebKitPolicyDecisionType type, gpointer self);
  static void onLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self);
  static gboolean onLoadFailed(WebKitWebView*, WebKitLoadEvent, const gchar* uri, GError* error,
                               gpointer self);
  static gboolean onTlsErrors(WebKitWebView*, const gchar* uri, GTlsCertificate*,
                              GTlsCertificateFlags, gpointer self);
  static void onTitle(GObject*, GParamSpec*, gpointer self);
  static void onProgress(GObject*, GParamSpec*, gpointer self);
  static void onMouseTarget(WebKitWebView*, WebKitHitTestResult* hit, guint, gpointer self);
  static GtkWidget* onCreate(WebKitWebView*, WebKitNavigationAction* action, gpointer self);
  static gboolean onContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*,
                                WebKitHitTestResult*, gpointer self);
  static gboolean onScriptDialog(WebKitWebView*, WebKitScriptDialog* dialog, gpointer self);

  GtkPlatformState& state_;
  WebKitWebContext* context_ = nullptr;
  WebKitWebView* view_ = nullptr;
  EngineRelay* relay_ = nullptr;
  Rect rect_;
  bool visible_ = true;
  bool silent_ = false;
  bool suppressContextMenu_ = false;
  bool titleSinceCommit_ = false;
  NestedLoop* createWait_ = nullptr;
  Text pendingAboutHtml_;  // the "about:" text being shown, reported in place of about:blank
  Text lastStatus_;
  GtkWidget* findDialog_ = nullptr;
};

}  // namespace halvit::gtk
