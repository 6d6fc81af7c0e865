#include "platform/gtk/web_view.h"

#include <libsoup/soup.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "platform/gtk/x11_window.h"
#include "ui/event_queue.h"
#include "webview/engine_relay.h"

namespace halvit::gtk {

namespace {

constexpr guint CREATE_TIMEOUT_MS = 15000;   // the first about:blank
constexpr guint READ_TIMEOUT_MS = 2000;      // source and selection
constexpr guint WAIT_STEP_MS = 10;
constexpr gint64 WAIT_LIMIT_US = 30 * G_USEC_PER_SEC;  // waitForDocument

}  // namespace

// A nested main loop that ends when finish() is called or its time is up. The engine's
// answers arrive only through the main loop, so synchronous reads wait in one of these; other
// signals are dispatched meanwhile.
class NestedLoop {
 public:
  explicit NestedLoop(guint timeoutMs)
      : loop_(g_main_loop_new(nullptr, FALSE)), timeoutMs_(timeoutMs) {}
  ~NestedLoop() { g_main_loop_unref(loop_); }
  NestedLoop(const NestedLoop&) = delete;
  NestedLoop& operator=(const NestedLoop&) = delete;

  // True when finished, false when the time ran out.
  bool run() {
    if (finished_) return true;
    GSource* timer = g_timeout_source_new(timeoutMs_);
    g_source_set_callback(
        timer,
        [](gpointer loop) -> gboolean {
          g_main_loop_quit(static_cast<GMainLoop*>(loop));
          return G_SOURCE_REMOVE;
        },
        loop_, nullptr);
    g_source_attach(timer, nullptr);
    g_main_loop_run(loop_);
    g_source_destroy(timer);
    g_source_unref(timer);
    return finished_;
  }
  void finish() {
    finished_ = true;
    g_main_loop_quit(loop_);
  }

 private:
  GMainLoop* loop_;
  guint timeoutMs_;
  bool finished_ = false;
};

namespace {

// An answer the engine gives later. If the waiter gives up first, the answer frees itself when
// it finally arrives.
template <typename Result>
struct PendingAnswer {
  NestedLoop* loop = nullptr;  // null once the waiter has given up
  Result result{};

  void deliver(Result value) {
    if (!loop) {
      delete this;
      return;
    }
    result = std::move(value);
    loop->finish();
  }
};

// Waits for a text answer: "" when the engine did not answer in time.
Text awaitText(NestedLoop& wait, PendingAnswer<std::string>* answer) {
  if (!wait.run()) {
    answer->loop = nullptr;  // the late answer frees itself
    return Text();
  }
  Text text = fromUtf8(answer->result);
  delete answer;
  return text;
}

}  // namespace

int navigationErrorCode(const GError* error) {
  if (!error) return INET_E_DOWNLOAD_FAILURE;
  const GQuark domain = error->domain;
  const int code = error->code;
  if (domain == WEBKIT_NETWORK_ERROR) {
    switch (code) {
      case WEBKIT_NETWORK_ERROR_CANCELLED: return 0;
      case WEBKIT_NETWORK_ERROR_TRANSPORT: return INET_E_CANNOT_CONNECT;
      case WEBKIT_NETWORK_ERROR_UNKNOWN_PROTOCOL: return INET_E_INVALID_URL;
      case WEBKIT_NETWORK_ERROR_FILE_DOES_NOT_EXIST: return INET_E_RESOURCE_NOT_FOUND;
      default: return INET_E_DOWNLOAD_FAILURE;
    }
  }
  if (domain == WEBKIT_POLICY_ERROR) {
    switch (code) {
      // Our own refusal in decide-policy, or a response turned into a download.
      case WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE: return 0;
      case WEBKIT_POLICY_ERROR_CANNOT_SHOW_URI: return INET_E_INVALID_URL;
      case WEBKIT_POLICY_ERROR_CANNOT_USE_RESTRICTED_PORT: return INET_E_INVALID_URL;
      default: return INET_E_DOWNLOAD_FAILURE;
    }
  }
  // A media element taking over its own load.
  if (domain == WEBKIT_PLUGIN_ERROR && code == WEBKIT_PLUGIN_ERROR_WILL_HANDLE_LOAD) return 0;
  if (domain == G_RESOLVER_ERROR) return INET_E_RESOURCE_NOT_FOUND;
  if (domain == G_TLS_ERROR) return INET_E_SECURITY_PROBLEM;
  if (domain == G_IO_ERROR) {
    switch (code) {
      case G_IO_ERROR_CANCELLED: return 0;
      case G_IO_ERROR_NOT_FOUND:
      case G_IO_ERROR_HOST_NOT_FOUND: return INET_E_RESOURCE_NOT_FOUND;
      case G_IO_ERROR_TIMED_OUT: return INET_E_CONNECTION_TIMEOUT;
      case G_IO_ERROR_CONNECTION_REFUSED:
      case G_IO_ERROR_HOST_UNREACHABLE:
      case G_IO_ERROR_NETWORK_UNREACHABLE:
      case G_IO_ERROR_PROXY_FAILED:
      case G_IO_ERROR_PROXY_AUTH_FAILED:
      case G_IO_ERROR_PROXY_NEED_AUTH:
      case G_IO_ERROR_PROXY_NOT_ALLOWED: return INET_E_CANNOT_CONNECT;
      case G_IO_ERROR_INVALID_ARGUMENT: return INET_E_INVALID_URL;
      default: return INET_E_DOWNLOAD_FAILURE;
    }
  }
  // WebKit reports a redirect loop with no domain of its own; its message is not translated.
  if (error->message) {
    std::string message = error->message;
    std::transform(message.begin(), message.end(), message.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (message.find("redirect") != std::string::npos) return INET_E_REDIRECT_FAILED;
  }
  return INET_E_DOWNLOAD_FAILURE;
}

std::string engineUri(const Text& url) {
  std::string text = utf8(url);
  if (!text.empty() && text[0] == '/') {
    gchar* uri = g_filename_to_uri(text.c_str(), nullptr, nullptr);
    if (uri) {
      std::string result = uri;
      g_free(uri);
      return result;
    }
    return text;
  }
  const char* scheme = g_uri_peek_scheme(text.c_str());  // interned, not freed
  bool hasScheme = scheme != nullptr;
  if (scheme) {
    // "host:port" parses as a scheme too; a real scheme has no dot and no digits after it.
    const std::size_t after = std::strlen(scheme) + 1;
    if (std::strchr(scheme, '.') ||
        (after < text.size() && std::isdigit(static_cast<unsigned char>(text[after]))))
      hasScheme = false;
  }
  return hasScheme ? text : "http://" + text;
}

namespace {

WebKitURIRequest* requestOf(WebKitPolicyDecision* decision) {
  WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
      WEBKIT_NAVIGATION_POLICY_DECISION(decision));
  return action ? webkit_navigation_action_get_request(action) : nullptr;
}

Text uriOf(WebKitURIRequest* request) {
  return request ? fromGtk(webkit_uri_request_get_uri(request)) : Text();
}

}  // namespace

GtkWebView::GtkWebView(GtkPlatformState& state) : state_(state) {}

GtkWebView::~GtkWebView() { releaseEngine(); }

WebKitWebContext* GtkWebView::context() {
  if (context_) return context_;
  const std::string data = std::string(g_get_user_data_dir()) + "/halvit";
  const std::string cache = std::string(g_get_user_cache_dir()) + "/halvit";
  WebKitWebsiteDataManager* manager = webkit_website_data_manager_new(
      "base-data-directory", data.c_str(), "base-cache-directory", cache.c_str(), nullptr);
  context_ = webkit_web_context_new_with_website_data_manager(manager);
  g_object_unref(manager);
  // Pages run in a bubblewrap sandbox; this holds only when set before the first web process.
  webkit_web_context_set_sandbox_enabled(context_, TRUE);
  return context_;
}

void GtkWebView::releaseEngine() {
  destroy();
  if (context_) {
    // The last reference ends the network process too.
    g_object_unref(context_);
    context_ = nullptr;
  }
}

bool GtkWebView::create(int /*control*/, const Rect& rect, const Text& address,
                        EngineRelay& relay) {
  if (!state_.client) return false;
  if (view_) destroy();
  relay_ = &relay;
  relay.reset();
  rect_ = rect;
  titleSinceCommit_ = false;
  lastStatus_.clear();
  pendingAboutHtml_.clear();

  view_ = WEBKIT_WEB_VIEW(webkit_web_view_new_with_context(context()));
  GtkWidget* widget = GTK_WIDGET(view_);
  g_signal_connect(view_, "decide-policy", G_CALLBACK(&GtkWebView::onDecidePolicy), this);
  g_signal_connect(view_, "load-changed", G_CALLBACK(&GtkWebView::onLoadChanged), this);
  g_signal_connect(view_, "load-failed", G_CALLBACK(&GtkWebView::onLoadFailed), this);
  g_signal_connect(view_, "load-failed-with-tls-errors", G_CALLBACK(&GtkWebView::onTlsErrors),
                   this);
  g_signal_connect(view_, "notify::title", G_CALLBACK(&GtkWebView::onTitle), this);
  g_signal_connect(view_, "notify::estimated-load-progress", G_CALLBACK(&GtkWebView::onProgress),
                   this);
  g_signal_connect(view_, "mouse-target-changed", G_CALLBACK(&GtkWebView::onMouseTarget), this);
  g_signal_connect(view_, "create", G_CALLBACK(&GtkWebView::onCreate), this);
  g_signal_connect(view_, "context-menu", G_CALLBACK(&GtkWebView::onContextMenu), this);
  g_signal_connect(view_, "script-dialog", G_CALLBACK(&GtkWebView::onScriptDialog), this);

  gtk_fixed_put(GTK_FIXED(state_.client), widget, rect.x, rect.y);
  state_.webView = widget;
  state_.releaseEngine = [this] { releaseEngine(); };
  place();

  // The program hears nothing from the engine until this first document is complete.
  NestedLoop wait(CREATE_TIMEOUT_MS);
  createWait_ = &wait;
  webkit_web_view_load_uri(view_, "about:blank");
  const bool loaded = wait.run();
  createWait_ = nullptr;
  // An engine that never finished about:blank still gets its gate opened, or the program
  // would never hear from it again.
  if (!loaded) relay.documentComplete();

  if (!address.empty()) navigate(address);
  return true;
}

void GtkWebView::destroy() {
  if (findDialog_) gtk_widget_destroy(findDialog_);
  if (!view_) return;
  g_signal_handlers_disconnect_by_data(view_, this);
  GtkWidget* widget = GTK_WIDGET(view_);
  view_ = nullptr;
  if (state_.webView == widget) state_.webView = nullptr;
  state_.overLink = false;
  state_.overEditable = false;
  gtk_widget_destroy(widget);
}

void GtkWebView::place() {
  if (!view_ || !state_.client) return;
  GtkWidget* widget = GTK_WIDGET(view_);
  gtk_fixed_move(GTK_FIXED(state_.client), widget, rect_.x, rect_.y);
  gtk_widget_set_size_request(widget, std::max(rect_.w, 0), std::max(rect_.h, 0));
  gtk_widget_set_visible(widget, visible_ && rect_.w > 0 && rect_.h > 0);
}

void GtkWebView::move(const Rect& rect) {
  rect_ = rect;
  place();
}

void GtkWebView::show(bool visible) {
  visible_ = visible;
  place();
}

// ---- navigation ----

void GtkWebView::navigate(const Text& url) {
  if (url.empty() || !view_) return;
  if (startsWith(url, u"about:") && url != u"about:blank") {
    // The engine shows the HTML as about:blank; the navigation is still reported with the
    // text the program gave.
    pendingAboutHtml_ = url;
    webkit_web_view_load_html(view_, utf8(url.substr(6)).c_str(), nullptr);
    return;
  }
  webkit_web_view_load_uri(view_, engineUri(url).c_str());
}

void GtkWebView::showHtml(const Text& html) {
  if (view_) webkit_web_view_load_html(view_, utf8(html).c_str(), nullptr);
}

Text GtkWebView::currentUrl() { return view_ ? fromGtk(webkit_web_view_get_uri(view_)) : Text(); }
Text GtkWebView::pageTitle() { return view_ ? fromGtk(webkit_web_view_get_title(view_)) : Text(); }
Text GtkWebView::statusText() { return relay_ ? relay_->statusText() : Text(); }

void GtkWebView::goBack() {
  if (view_ && webkit_web_view_can_go_back(view_)) webkit_web_view_go_back(view_);
}
void GtkWebView::goForward() {
  if (view_ && webkit_web_view_can_go_forward(view_)) webkit_web_view_go_forward(view_);
}
void GtkWebView::stop() {
  if (view_) webkit_web_view_stop_loading(view_);
}
void GtkWebView::refresh() {
  if (view_) webkit_web_view_reload(view_);
}

void GtkWebView::setNavigationCallback(NavigationCallback fn) {
  if (relay_) relay_->setNavigationCallback(std::move(fn));
}

void GtkWebView::connectEventSink(BrowserEventSink& sink) {
  if (relay_) relay_->connectEventSink(sink);
}

void GtkWebView::focusPage() {
  if (view_) gtk_widget_grab_focus(GTK_WIDGET(view_));
}

// ---- reads that wait ----

Text GtkWebView::pageSource() {
  WebKitWebResource* resource = view_ ? webkit_web_view_get_main_resource(view_) : nullptr;
  if (!resource) return Text();
  NestedLoop wait(READ_TIMEOUT_MS);
  auto* answer = new PendingAnswer<std::string>;
  answer->loop = &wait;
  webkit_web_resource_get_data(
      resource, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        gsize length = 0;
        guchar* bytes = webkit_web_resource_get_data_finish(WEBKIT_WEB_RESOURCE(source), result,
                                                            &length, nullptr);
        std::string raw = bytes ? std::string(reinterpret_cast<char*>(bytes), length) : "";
        g_free(bytes);
        static_cast<PendingAnswer<std::string>*>(data)->deliver(std::move(raw));
      },
      answer);
  return awaitText(wait, answer);
}

Text GtkWebView::selectedText() {
  if (!view_) return Text();
  NestedLoop wait(READ_TIMEOUT_MS);
  auto* answer = new PendingAnswer<std::string>;
  answer->loop = &wait;
  static constexpr char SCRIPT[] = "window.getSelection().toString()";
  webkit_web_view_evaluate_javascript(
      view_, SCRIPT, -1, nullptr, nullptr, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        std::string text;
        JSCValue* value =
            webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, nullptr);
        if (value) {
          if (jsc_value_is_string(value)) {
            gchar* s = jsc_value_to_string(value);
            if (s) text = s;
            g_free(s);
          }
          g_object_unref(value);
        }
        static_cast<PendingAnswer<std::string>*>(data)->deliver(std::move(text));
      },
      answer);
  return awaitText(wait, answer);
}

bool GtkWebView::waitForDocument() {
  if (!view_ || !relay_) return false;
  EventQueue& queue = relay_->queue();
  queue.beginDiscard();
  // A short tick keeps the blocking iteration returning to look at is-loading again.
  const guint tick = g_timeout_add(WAIT_STEP_MS, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; },
                                   nullptr);
  const gint64 until = g_get_monotonic_time() + WAIT_LIMIT_US;
  while (view_ && webkit_web_view_is_loading(view_) && g_get_monotonic_time() < until)
    g_main_context_iteration(nullptr, TRUE);
  g_source_remove(tick);
  queue.endDiscard();
  return view_ && webkit_web_view_get_uri(view_) != nullptr;
}

void GtkWebView::runScript(const Text& script) {
  if (!waitForDocument()) return;
  webkit_web_view_evaluate_javascript(view_, utf8(script).c_str(), -1, nullptr, nullptr, nullptr,
                                      nullptr, nullptr);
}

// ---- engine signals ----

gboolean GtkWebView::onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                    WebKitPolicyDecisionType type, gpointer self) {
  auto* web = static_cast<GtkWebView*>(self);
  EngineRelay* relay = web->relay_;
  if (!relay) return FALSE;
  switch (type) {
    case WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION: {
      // The decision's own request: get_uri still names the page being left.
      Text url = uriOf(requestOf(decision));
      if (!web->pendingAboutHtml_.empty()) {
        if (url == u"about:blank") url = web->pendingAboutHtml_;
        web->pendingAboutHtml_.clear();
      }
      if (relay->navigationRequested(url)) return FALSE;
      webkit_policy_decision_ignore(decision);
      return TRUE;
    }
    case WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION: {
      const Text url = uriOf(requestOf(decision));
      webkit_policy_decision_ignore(decision);
      relay->newWindow(url);
      return TRUE;
    }
    case WEBKIT_POLICY_DECISION_TYPE_RESPONSE: {
      WebKitURIResponse* response = webkit_response_policy_decision_get_response(
          WEBKIT_RESPONSE_POLICY_DECISION(decision));
      const guint status = response ? webkit_uri_response_get_status_code(response) : 0;
      // The error is reported and the server's own page still shown.
      if (status >= 400)
        relay->navigateError(static_cast<int>(status),
                             fromGtk(webkit_uri_response_get_uri(response)));
      return FALSE;
    }
  }
  return FALSE;
}

void GtkWebView::onLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self) {
  auto* web = static_cast<GtkWebView*>(self);
  EngineRelay* relay = web->relay_;
  if (!relay) return;
  switch (event) {
    case WEBKIT_LOAD_STARTED:
      web->titleSinceCommit_ = false;
      relay->downloadBegin();
      break;
    case WEBKIT_LOAD_COMMITTED:
      web->titleSinceCommit_ = false;
      break;
    case WEBKIT_LOAD_FINISHED:
      // WebKit is silent when the new page has the old page's title, but every loaded
      // document gets a title change.
      if (!web->titleSinceCommit_) relay->titleChanged();
      relay->downloadComplete();
      relay->documentComplete();
      if (web->createWait_) web->createWait_->finish();
      break;
    case WEBKIT_LOAD_REDIRECTED:
      break;
  }
}

gboolean GtkWebView::onLoadFailed(WebKitWebView*, WebKitLoadEvent, const gchar* uri,
                                  GError* error, gpointer self) {
  auto* web = static_cast<GtkWebView*>(self);
  const int code = navigationErrorCode(error);
  if (code != 0 && web->relay_) web->relay_->navigateError(code, fromGtk(uri));
  // The program shows its own error page; WebKit's is suppressed.
  return TRUE;
}

gboolean GtkWebView::onTlsErrors(WebKitWebView*, const gchar* uri, GTlsCertificate*,
                                 GTlsCertificateFlags, gpointer self) {
  auto* web = static_cast<GtkWebView*>(self);
  if (web->relay_) web->relay_->navigateError(INET_E_SECURITY_PROBLEM, fromGtk(uri));
  return TRUE;
}

void GtkWebView::onTitle(GObject*, GParamSpec*, gpointer self) {
  auto* web = static_cast<GtkWebView*>(self);
  web->titleSinceCommit_ = true;
  if (web->relay_) web->relay_->titleChanged();
}

void GtkWebView::onProgress(GObject*, GParamSpec*, gpointer self) {
  auto* web = static_cast<GtkWebView*>(self);
  if (web->relay_) web->relay_->progress();
}

void GtkWebView::onMouseTarget(WebKitWebView*, WebKitHitTestResult* hit, guint, gpointer self) {
  auto* web = static_cast<GtkWebView*>(self);
  const bool link = webkit_hit_test_result_context_is_link(hit);
  web->state_.overLink = link;
  web->state_.overEditable = webkit_hit_test_result_context_is_editable(hit);
  const Text status = link ? fromGtk(webkit_hit_test_result_get_link_uri(hit)) : Text();
  if (status == web->lastStatus_) return;
  web->lastStatus_ = status;
  if (web->relay_) web->relay_->statusTextChanged(status);
}

GtkWidget* GtkWebView::onCreate(WebKitWebView*, WebKitNavigationAction* action, gpointer self) {
  // window.open arrives only here. No second window is ever made: the program decides.
  auto* web = static_cast<GtkWebView*>(self);
  const Text url = uriOf(action ? webkit_navigation_action_get_request(action) : nullptr);
  if (web->relay_) web->relay_->newWindow(url);
  return nullptr;
}

gboolean GtkWebView::onContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*,
                                   WebKitHitTestResult*, gpointer self) {
  auto* web = static_cast<GtkWebView*>(self);
  if (!web->suppressContextMenu_) return FALSE;
  if (web->relay_) web->relay_->contextMenu();
  return TRUE;
}

gboolean GtkWebView::onScriptDialog(WebKitWebView*, WebKitScriptDialog* dialog, gpointer self) {
  auto* web = static_cast<GtkWebView*>(self);
  if (!web->silent_) return FALSE;
  // Unshown, a "leave this page?" question must answer yes, or a page could keep the user
  // from ever navigating away.
  if (webkit_script_dialog_get_dialog_type(dialog) == WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM)
    webkit_script_dialog_confirm_set_confirmed(dialog, TRUE);
  return TRUE;
}

// ---- find dialog ----

namespace {

enum FindResponse { FIND_NEXT = 1, FIND_PREVIOUS = 2 };

// The find dialog's widgets and the last search, owned by the dialog itself.
struct FindState {
  WebKitWebView* view;
  GtkWidget* entry;
  GtkWidget* matchCase;
  GtkWidget* status;
  std::string lastText;
  bool lastMatchCase = false;
  bool searched = false;
};

void findStep(FindState& find, bool backwards) {
  WebKitFindController* finder = webkit_web_view_get_find_controller(find.view);
  const std::string text = gtk_entry_get_text(GTK_ENTRY(find.entry));
  const bool matchCase = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(find.matchCase));
  gtk_label_set_text(GTK_LABEL(find.status), "");
  if (text.empty()) {
    webkit_find_controller_search_finish(finder);
    find.searched = false;
    return;
  }
  if (find.searched && text == find.lastText && matchCase == find.lastMatchCase) {
    if (backwards) webkit_find_controller_search_previous(finder);
    else webkit_find_controller_search_next(finder);
    return;
  }
  guint32 options = WEBKIT_FIND_OPTIONS_WRAP_AROUND;
  if (!matchCase) options |= WEBKIT_FIND_OPTIONS_CASE_INSENSITIVE;
  if (backwards) options |= WEBKIT_FIND_OPTIONS_BACKWARDS;
  webkit_find_controller_search(finder, text.c_str(), options, G_MAXUINT);
  find.lastText = text;
  find.lastMatchCase = matchCase;
  find.searched = true;
}

}  // namespace

void GtkWebView::showFindDialog() {
  if (!view_) return;
  if (findDialog_) {
    gtk_window_present(GTK_WINDOW(findDialog_));
    raiseWithoutWindowManager(findDialog_);
    return;
  }
  GtkWindow* parent = state_.window ? GTK_WINDOW(state_.window) : nullptr;
  GtkWidget* dialog = gtk_dialog_new_with_buttons(
      "Find", parent, GTK_DIALOG_DESTROY_WITH_PARENT, "_Previous", FIND_PREVIOUS, "_Next",
      FIND_NEXT, "_Close", GTK_RESPONSE_CLOSE, nullptr);
  gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), FIND_NEXT);

  auto* find = new FindState{view_, gtk_entry_new(), gtk_check_button_new_with_mnemonic("Match _case"),
                             gtk_label_new(nullptr), {}, false, false};
  gtk_entry_set_activates_default(GTK_ENTRY(find->entry), TRUE);
  gtk_entry_set_width_chars(GTK_ENTRY(find->entry), 32);
  GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  gtk_box_pack_start(GTK_BOX(row), gtk_label_new_with_mnemonic("Fi_nd what:"), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(row), find->entry, TRUE, TRUE, 0);
  GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
  gtk_container_set_border_width(GTK_CONTAINER(content), 8);
  gtk_box_set_spacing(GTK_BOX(content), 6);
  gtk_box_pack_start(GTK_BOX(content), row, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(content), find->matchCase, FALSE, FALSE, 0);
  gtk_label_set_xalign(GTK_LABEL(find->status), 0.0f);
  gtk_box_pack_start(GTK_BOX(content), find->status, FALSE, FALSE, 0);

  g_object_set_data_full(G_OBJECT(dialog), "halvit-find", find,
                         [](gpointer data) { delete static_cast<FindState*>(data); });
  // Tied to the status label, these handlers go when the dialog goes.
  WebKitFindController* finder = webkit_web_view_get_find_controller(view_);
  g_signal_connect_object(finder, "failed-to-find-text",
                          G_CALLBACK(+[](WebKitFindController*, GtkLabel* status) {
                            gtk_label_set_text(status, "Not found");
                          }),
                          find->status, GConnectFlags(0));
  g_signal_connect_object(finder, "found-text",
                          G_CALLBACK(+[](WebKitFindController*, guint, GtkLabel* status) {
                            gtk_label_set_text(status, "");
                          }),
                          find->status, GConnectFlags(0));
  g_signal_connect(dialog, "response", G_CALLBACK(+[](GtkDialog* d, gint response, gpointer) {
                     auto* state = static_cast<FindState*>(g_object_get_data(G_OBJECT(d), "halvit-find"));
                     if (response == FIND_NEXT || response == FIND_PREVIOUS) {
                       findStep(*state, response == FIND_PREVIOUS);
                       return;
                     }
                     gtk_widget_destroy(GTK_WIDGET(d));
                   }),
                   nullptr);
  g_signal_connect(dialog, "destroy", G_CALLBACK(+[](GtkWidget* d, gpointer self) {
                     auto* web = static_cast<GtkWebView*>(self);
                     auto* state = static_cast<FindState*>(g_object_get_data(G_OBJECT(d), "halvit-find"));
                     if (web->view_ && state && state->view == web->view_)
                       webkit_find_controller_search_finish(webkit_web_view_get_find_controller(web->view_));
                     if (web->findDialog_ == d) web->findDialog_ = nullptr;
                   }),
                   this);
  findDialog_ = dialog;
  gtk_widget_show_all(dialog);
  raiseWithoutWindowManager(dialog);
}

// ---- properties dialog ----

namespace {

std::string formatTime(GDateTime* time) {
  if (!time) return "?";
  gchar* text = g_date_time_format(time, "%Y-%m-%d %H:%M:%S UTC");
  std::string result = text ? text : "?";
  g_free(text);
  return result;
}

std::string certificateProblems(GTlsCertificateFlags flags) {
  struct Name {
    GTlsCertificateFlags flag;
    const char* text;
  };
  static constexpr Name NAMES[] = {
      {G_TLS_CERTIFICATE_UNKNOWN_CA, "issuer not trusted"},
      {G_TLS_CERTIFICATE_BAD_IDENTITY, "name does not match the site"},
      {G_TLS_CERTIFICATE_NOT_ACTIVATED, "not yet valid"},
      {G_TLS_CERTIFICATE_EXPIRED, "expired"},
      {G_TLS_CERTIFICATE_REVOKED, "revoked"},
      {G_TLS_CERTIFICATE_INSECURE, "insecure algorithm"},
      {G_TLS_CERTIFICATE_GENERIC_ERROR, "other error"},
  };
  std::string text;
  for (const auto& name : NAMES) {
    if (!(flags & name.flag)) continue;
    if (!text.empty()) text += ", ";
    text += name.text;
  }
  return text.empty() ? "none" : text;
}

std::string certificateText(GTlsCertificate* certificate, GTlsCertificateFlags problems) {
  std::string text = "\nCertificate\n";
  gchar* subject = g_tls_certificate_get_subject_name(certificate);
  gchar* issuer = g_tls_certificate_get_issuer_name(certificate);
  GDateTime* from = g_tls_certificate_get_not_valid_before(certificate);
  GDateTime* until = g_tls_certificate_get_not_valid_after(certificate);
  text += std::string("  Subject: ") + (subject ? subject : "?") + "\n";
  text += std::string("  Issuer: ") + (issuer ? issuer : "?") + "\n";
  text += "  Valid from: " + formatTime(from) + "\n";
  text += "  Valid until: " + formatTime(until) + "\n";
  text += "  Problems: " + certificateProblems(problems) + "\n";
  g_free(subject);
  g_free(issuer);
  if (from) g_date_time_unref(from);
  if (until) g_date_time_unref(until);
  gchar* pem = nullptr;
  g_object_get(certificate, "certificate-pem", &pem, nullptr);
  if (pem) text += std::string("\n") + pem;
  g_free(pem);
  return text;
}

}  // namespace

void GtkWebView::showPropertiesDialog() {
  if (!view_) return;
  std::string text = "Address: ";
  const char* uri = webkit_web_view_get_uri(view_);
  text += uri ? uri : "";
  text += "\n";
  const char* title = webkit_web_view_get_title(view_);
  if (title && *title) text += std::string("Title: ") + title + "\n";

  WebKitWebResource* resource = webkit_web_view_get_main_resource(view_);
  WebKitURIResponse* response = resource ? webkit_web_resource_get_response(resource) : nullptr;
  if (response) {
    const guint status = webkit_uri_response_get_status_code(response);
    if (status) text += "HTTP status: " + std::to_string(status) + "\n";
    const char* mime = webkit_uri_response_get_mime_type(response);
    if (mime) text += std::string("Type: ") + mime + "\n";
    SoupMessageHeaders* headers = webkit_uri_response_get_http_headers(response);
    if (headers) {
      text += "\nResponse headers\n";
      soup_message_headers_foreach(
          headers,
          [](const char* name, const char* value, gpointer out) {
            *static_cast<std::string*>(out) += std::string("  ") + name + ": " + value + "\n";
          },
          &text);
    }
  }
  GTlsCertificate* certificate = nullptr;
  GTlsCertificateFlags problems = GTlsCertificateFlags(0);
  if (webkit_web_view_get_tls_info(view_, &certificate, &problems) && certificate)
    text += certificateText(certificate, problems);

  GtkWindow* parent = state_.window ? GTK_WINDOW(state_.window) : nullptr;
  GtkWidget* dialog = gtk_dialog_new_with_buttons(
      "Properties", parent, GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
      "_Close", GTK_RESPONSE_CLOSE, nullptr);
  gtk_window_set_default_size(GTK_WINDOW(dialog), 620, 440);
  GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
  GtkWidget* view = gtk_text_view_new();
  gtk_text_view_set_editable(GTK_TEXT_VIEW(view), FALSE);
  gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(view), FALSE);
  gtk_text_view_set_monospace(GTK_TEXT_VIEW(view), TRUE);
  gtk_text_view_set_left_margin(GTK_TEXT_VIEW(view), 6);
  gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)), text.c_str(), -1);
  gtk_container_add(GTK_CONTAINER(scroller), view);
  GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
  gtk_box_pack_start(GTK_BOX(content), scroller, TRUE, TRUE, 0);
  gtk_widget_show_all(dialog);
  raiseWithoutWindowManager(dialog);
  gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
}

}  // namespace halvit::gtk
