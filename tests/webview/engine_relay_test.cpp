#include "webview/engine_relay.h"

#include <gtest/gtest.h>

#include "ui/event_queue.h"
#include "ui/ids.h"

namespace halvit {
namespace {

std::vector<int> types(EventQueue& q) {
  std::vector<int> out;
  while (auto e = q.take()) out.push_back(e->type);
  return out;
}

struct Sink : BrowserEventSink {
  std::vector<std::pair<int, Text>> errors;
  std::vector<Text> windows;
  void onNavigateError(int status, const Text& url) override { errors.push_back({status, url}); }
  void onNewWindow(const Text& url) override { windows.push_back(url); }
};

TEST(EngineRelay, NothingPassesBeforeTheFirstDocumentComplete) {
  EventQueue q;
  EngineRelay relay(q, 0);
  Sink sink;
  int calls = 0;
  relay.setNavigationCallback([&](int, const Text&) { ++calls; return false; });
  relay.connectEventSink(sink);

  EXPECT_TRUE(relay.navigationRequested(u"about:blank")) << "not asked, not cancelled";
  relay.downloadBegin();
  relay.titleChanged();
  relay.statusTextChanged(u"x");
  relay.contextMenu();
  relay.navigateError(404, u"u");
  relay.newWindow(u"w");
  relay.downloadComplete();
  EXPECT_TRUE(q.empty());
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(sink.errors.empty() && sink.windows.empty());

  relay.documentComplete();
  EXPECT_FALSE(relay.navigationRequested(u"https://x.org"));
  EXPECT_EQ(calls, 1);
  relay.navigateError(404, u"u");
  relay.newWindow(u"w");
  EXPECT_EQ(sink.errors.size(), 1u);
  EXPECT_EQ(sink.windows.size(), 1u);
}

TEST(EngineRelay, DownloadEventsPassOnlyWhileARequestIsOutstanding) {
  EventQueue q;
  EngineRelay relay(q, 0);
  relay.documentComplete();
  relay.downloadBegin();     // no request: dropped
  relay.downloadComplete();  // dropped
  relay.navigationRequested(u"https://x.org");
  relay.downloadBegin();
  relay.titleChanged();
  relay.downloadComplete();  // ends the request
  relay.downloadBegin();
  relay.downloadComplete();
  relay.progress();
  relay.popupBlocked();
  relay.contextMenu();
  EXPECT_EQ(types(q), (std::vector<int>{WEB_DOWNLOAD_BEGIN, WEB_TITLE_CHANGE,
                                        WEB_DOWNLOAD_COMPLETE, WEB_PROGRESS, WEB_POPUP_BLOCKED,
                                        WEB_CONTEXT_MENU}));
}

TEST(EngineRelay, TheStatusTextIsStoredBeforeItsEvent) {
  EventQueue q;
  EngineRelay relay(q, 0);
  relay.documentComplete();
  Text seen;
  q.bind(EVENT_GADGET, [&] { seen = relay.statusText(); });
  relay.statusTextChanged(u"https://link.example/");
  EXPECT_EQ(seen, u"https://link.example/");
  auto e = q.take();
  EXPECT_EQ(e->control, 0);
  EXPECT_EQ(e->type, WEB_STATUS_CHANGE);
  relay.reset();
  EXPECT_EQ(relay.statusText(), u"");
  EXPECT_FALSE(relay.started());
}

}  // namespace
}  // namespace halvit
