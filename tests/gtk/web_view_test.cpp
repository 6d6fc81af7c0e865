#include "platform/gtk/web_view.h"

#include <gtest/gtest.h>
#include <libsoup/soup.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "gtk_display.h"
#include "platform/gtk/toolkit.h"
#include "ui/event_queue.h"
#include "ui/ids.h"
#include "webview/engine_relay.h"

namespace halvit::gtk {
namespace {

using test::pumpFor;
using test::pumpUntil;

TEST(GtkWebView, EngineErrorsMapOntoTheSameCodesAsWindows) {
  struct Row {
    GQuark domain;
    int code;
    const char* message;
    int expected;
  };
  const Row rows[] = {
      {G_RESOLVER_ERROR, G_RESOLVER_ERROR_NOT_FOUND, "Error resolving", INET_E_RESOURCE_NOT_FOUND},
      {G_IO_ERROR, G_IO_ERROR_CONNECTION_REFUSED, "Connection refused", INET_E_CANNOT_CONNECT},
      {G_IO_ERROR, G_IO_ERROR_HOST_UNREACHABLE, "", INET_E_CANNOT_CONNECT},
      {G_IO_ERROR, G_IO_ERROR_TIMED_OUT, "", INET_E_CONNECTION_TIMEOUT},
      {G_IO_ERROR, G_IO_ERROR_NOT_FOUND, "No such file", INET_E_RESOURCE_NOT_FOUND},
      {G_TLS_ERROR, G_TLS_ERROR_BAD_CERTIFICATE, "", INET_E_SECURITY_PROBLEM},
      {WEBKIT_POLICY_ERROR, WEBKIT_POLICY_ERROR_CANNOT_SHOW_URI, "", INET_E_INVALID_URL},
      {WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_FILE_DOES_NOT_EXIST, "", INET_E_RESOURCE_NOT_FOUND},
      {WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_FAILED, "", INET_E_DOWNLOAD_FAILURE},
      // WebKit's redirect loop comes without a domain of its own.
      {g_quark_from_static_string(""), 0, "Load cannot follow more than 20 redirections",
       INET_E_REDIRECT_FAILED},
      {g_quark_from_static_string("some-other-error"), 7, "boom", INET_E_DOWNLOAD_FAILURE},
      // Cancellations are no errors: a stop, a newer navigation, our own refusal.
      {WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED, "", 0},
      {WEBKIT_POLICY_ERROR, WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE, "", 0},
      {G_IO_ERROR, G_IO_ERROR_CANCELLED, "", 0},
  };
  for (const auto& row : rows) {
    GError error{row.domain, row.code, const_cast<char*>(row.message)};
    EXPECT_EQ(navigationErrorCode(&error), row.expected)
        << g_quark_to_string(row.domain) << " " << row.code;
  }
}

TEST(GtkWebView, AddressesReadAsTheWindowsControlReadsThem) {
  struct Row {
    Text given;
    const char* loads;
  };
  const Row rows[] = {
      {u"/opt/halvit/start.html", "file:///opt/halvit/start.html"},
      {u"/tmp/a b/\u00e9.html", "file:///tmp/a%20b/%C3%A9.html"},
      {u"https://a.example/x?y=1", "https://a.example/x?y=1"},
      {u"about:blank", "about:blank"},
      {u"file:///etc/hosts", "file:///etc/hosts"},
      {u"res://startpage", "res://startpage"},
      {u"example.com", "http://example.com"},
      {u"example.com/a:b", "http://example.com/a:b"},
      {u"localhost:8000/x", "http://localhost:8000/x"},
      {u"127.0.0.1:8000", "http://127.0.0.1:8000"},
  };
  for (const auto& row : rows) EXPECT_EQ(engineUri(row.given), row.loads) << toUtf8(row.given);
}

struct RecordingSink : BrowserEventSink {
  std::vector<std::pair<int, Text>> errors;
  std::vector<Text> newWindows;
  void onNavigateError(int status, const Text& url) override { errors.emplace_back(status, url); }
  void onNewWindow(const Text& url) override { newWindows.push_back(url); }
};

// Pages of a temporary folder and one 404 from a server on 127.0.0.1, in a real engine.
struct EngineFixture {
  GtkPlatformState state;
  GtkToolkit toolkit{state};
  EventQueue queue;
  GtkWebView web{state};
  EngineRelay relay{queue, CONTROL_WEB_VIEW};
  RecordingSink sink;
  std::vector<Text> requests;
  std::string folder;
  SoupServer* server = nullptr;
  std::string serverBase;

  EngineFixture() {
    std::string pattern = ::testing::TempDir() + "halvit-web-XXXXXX";
    folder = ::mkdtemp(pattern.data()) ? pattern : std::string();
    toolkit.attachQueue(queue);
    WindowSpec desc;
    desc.title = u"engine test";
    desc.geometry = {10, 10, 640, 480};
    toolkit.openWindow(desc);

    server = soup_server_new(nullptr, nullptr);
    soup_server_add_handler(
        server, nullptr,
        [](SoupServer*, SoupServerMessage* message, const char*, GHashTable*, gpointer) {
          static const char body[] = "<html><head><title>Gone</title></head><body>gone</body></html>";
          soup_server_message_set_status(message, 404, nullptr);
          soup_server_message_set_response(message, "text/html", SOUP_MEMORY_STATIC, body,
                                           sizeof body - 1);
        },
        nullptr, nullptr);
    if (soup_server_listen_local(server, 0, SOUP_SERVER_LISTEN_IPV4_ONLY, nullptr)) {
      GSList* uris = soup_server_get_uris(server);
      if (uris) {
        char* base = g_uri_to_string(static_cast<GUri*>(uris->data));
        serverBase = base;
        g_free(base);
      }
      g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref));
    }
  }
  ~EngineFixture() {
    toolkit.release();
    g_object_unref(server);
    if (!folder.empty()) std::system(("rm -rf '" + folder + "'").c_str());
  }

  std::string page(const std::string& name, const std::string& html) {
    std::ofstream(folder + "/" + name, std::ios::binary) << html;
    return folder + "/" + name;
  }

  std::vector<int> drainTypes() {
    std::vector<int> types;
    while (auto e = queue.take())
      if (e->number == EVENT_GADGET && e->control == CONTROL_WEB_VIEW) types.push_back(e->type);
    return types;
  }

  // Until the engine has shown `url` and is idle.
  bool loaded(const Text& url) {
    return pumpUntil([&] {
      return web.currentUrl() == url && !webkit_web_view_is_loading(WEBKIT_WEB_VIEW(web.browser()));
    });
  }
};

int countOf(const std::vector<int>& types, int type) {
  return static_cast<int>(std::count(types.begin(), types.end(), type));
}

TEST(GtkWebView, PassesNavigationsLoadsAndErrorsToTheRelay) {
  HALVIT_NEEDS_DISPLAY();
  EngineFixture f;
  ASSERT_TRUE(f.web.create(CONTROL_WEB_VIEW, {0, 26, 640, 454}, u"", f.relay));
  EXPECT_TRUE(f.relay.started()) << "the first about:blank opens the gate";
  EXPECT_EQ(f.web.currentUrl(), u"about:blank");
  f.web.connectEventSink(f.sink);
  f.web.setNavigationCallback([&f](int, const Text& url) {
    f.requests.push_back(url);
    return !contains(url, u"refused");
  });
  f.drainTypes();

  // "about:" and HTML: the program hears its own text, the address reads about:blank.
  const Text about = u"about:<html><head><title>Hello</title></head><body><p>text \u2261</p></body></html>";
  f.web.navigate(about);
  ASSERT_TRUE(pumpUntil([&] { return f.web.pageTitle() == u"Hello"; }));
  ASSERT_TRUE(f.loaded(u"about:blank"));
  ASSERT_FALSE(f.requests.empty());
  EXPECT_EQ(f.requests.front(), about);
  EXPECT_TRUE(contains(f.web.pageSource(), u"<p>text \u2261</p>"));
  std::vector<int> types = f.drainTypes();
  ASSERT_EQ(countOf(types, WEB_DOWNLOAD_BEGIN), 1);
  ASSERT_EQ(countOf(types, WEB_DOWNLOAD_COMPLETE), 1);
  EXPECT_LT(std::find(types.begin(), types.end(), WEB_DOWNLOAD_BEGIN) - types.begin(),
            std::find(types.begin(), types.end(), WEB_DOWNLOAD_COMPLETE) - types.begin());
  EXPECT_GE(countOf(types, WEB_TITLE_CHANGE), 1);

  // Plain paths load as files; a second page of the same title still brings a title change.
  for (const char* name : {"a.html", "b.html"}) {
    const std::string path = f.page(name, std::string("<html><head><title>Same</title></head><body><p>") +
                                              name + "</p></body></html>");
    f.requests.clear();
    f.web.navigate(fromUtf8(path));
    const Text uri = fromUtf8(engineUri(fromUtf8(path)));
    ASSERT_TRUE(f.loaded(uri)) << name;
    EXPECT_EQ(f.requests, std::vector<Text>{uri}) << name;
    // The engine may name the title only after the load has finished.
    EXPECT_TRUE(pumpUntil([&] { return f.web.pageTitle() == u"Same"; }));
    EXPECT_GE(countOf(f.drainTypes(), WEB_TITLE_CHANGE), 1) << name;
  }
  const Text shown = f.web.currentUrl();

  // A refused navigation goes nowhere and is no error.
  const std::string refused = f.page("refused.html", "<title>No</title>");
  f.web.navigate(fromUtf8(refused));
  ASSERT_TRUE(pumpUntil([&] { return !f.requests.empty() && contains(f.requests.back(), u"refused"); }));
  pumpFor(300);
  EXPECT_EQ(f.web.currentUrl(), shown);
  EXPECT_TRUE(f.sink.errors.empty());

  // A missing file and an HTTP error status reach the sink; the server's own page is shown.
  const std::string missing = f.folder + "/missing.html";
  f.web.navigate(fromUtf8(missing));
  ASSERT_TRUE(pumpUntil([&] { return !f.sink.errors.empty(); }));
  EXPECT_EQ(f.sink.errors[0], std::make_pair(INET_E_RESOURCE_NOT_FOUND,
                                             fromUtf8(engineUri(fromUtf8(missing)))));
  ASSERT_FALSE(f.serverBase.empty());
  const Text gone = fromUtf8(f.serverBase + "gone");
  f.web.navigate(gone);
  ASSERT_TRUE(pumpUntil([&] { return f.sink.errors.size() == 2 && f.web.pageTitle() == u"Gone"; }));
  EXPECT_EQ(f.sink.errors[1], std::make_pair(404, gone));

  // Scripts run once the page is idle; the selection is read back.
  f.web.runScript(u"document.title = 'Scripted'; window.getSelection().selectAllChildren(document.body);");
  ASSERT_TRUE(pumpUntil([&] { return f.web.pageTitle() == u"Scripted"; }));
  EXPECT_EQ(f.web.selectedText(), u"gone");
}

}  // namespace
}  // namespace halvit::gtk
