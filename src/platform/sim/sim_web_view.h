#pragma once
// An engine in memory: it serves pages from a table and reports to the relay in the order a
// real engine does: the navigation request first (which the callback may cancel), then
// download begin, title change, download complete and document complete.
#include <map>
#include <vector>

#include "webview/engine_relay.h"
#include "webview/web_view.h"

namespace halvit::sim {

struct SimPage {
  Text title;
  Text source;
  int httpStatus = 200;
};

class SimWebView : public WebView {
 public:
  std::map<Text, SimPage> pages;

  // Recorded state.
  int created = 0;
  int destroyed = 0;
  int control = -1;
  Text createdWith;
  std::vector<Text> requested;  // every navigate() with text, in order
  std::vector<Text> loaded;     // every page actually shown
  std::vector<Rect> moves;
  Rect where;
  bool visible = true;
  bool silent = false;
  bool contextMenuSuppressed = false;
  int pageFocus = 0;
  std::vector<Text> scripts;

  bool create(int control, const Rect& rect, const Text& address, EngineRelay& relay) override;
  void destroy() override;
  void* browser() override { return this; }
  void navigate(const Text& url) override;
  Text currentUrl() override { return url_; }
  Text pageSource() override { return source_; }
  Text pageTitle() override { return title_; }
  Text statusText() override { return relay_ ? relay_->statusText() : Text(); }
  Text selectedText() override { return selection; }
  void showHtml(const Text& html) override { source_ = html; }
  void goBack() override;
  void goForward() override;
  void stop() override {}
  void refresh() override;
  void showFindDialog() override { ++findDialogs; }
  void showPropertiesDialog() override { ++propertiesDialogs; }
  void setSilent() override { silent = true; }
  void suppressContextMenu() override { contextMenuSuppressed = true; }
  void setNavigationCallback(NavigationCallback fn) override;
  void connectEventSink(BrowserEventSink& sink) override;
  bool waitForDocument() override { return relay_ && !url_.empty(); }
  void runScript(const Text& script) override;
  void focusPage() override { ++pageFocus; }
  void move(const Rect& rect) override;
  Rect rect() override { return where; }
  void show(bool v) override { visible = v; }

  Text selection;
  int findDialogs = 0;
  int propertiesDialogs = 0;

  // The pointer moves onto a link ("" when it leaves it).
  void hoverLink(const Text& url);

 private:
  void load(const Text& url, bool addToHistory);

  EngineRelay* relay_ = nullptr;
  Text url_;
  Text title_;
  Text source_;
  std::vector<Text> history_;
  std::size_t historyAt_ = 0;
};

}  // namespace halvit::sim
