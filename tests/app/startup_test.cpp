#include <gtest/gtest.h>

#include "app/command_line.h"
#include "support/sim_browser.h"

namespace halvit {
namespace {

using test::SimBrowser;

TEST(CommandLine, SplitsAtBlanksAndKeepsQuotedStretchesWhole) {
  struct Case { const char16_t* line; std::vector<Text> params; };
  const Case cases[] = {
      {u"", {}},
      {u"   ", {}},
      {u"-nc example.org", {u"-nc", u"example.org"}},
      {u"  a \t b  ", {u"a", u"b"}},
      {u"\"C:\\My Pages\\a.html\" x", {u"C:\\My Pages\\a.html", u"x"}},
      {u"ab\"c d\"e", {u"abc de"}},
      {u"\"\" x", {u"", u"x"}},
      {u"\"unbalanced quote here", {u"unbalanced quote here"}},  // runs to the end
      {u"a \"", {u"a", u""}},
  };
  for (const auto& c : cases) EXPECT_EQ(splitCommandLine(c.line), c.params) << toUtf8(c.line);
}

TEST(CommandLine, ModesAndStartAddresses) {
  struct Case {
    std::vector<Text> params;
    Text startUrl;        // after the start-page rule; START_PAGE when the start page is used
    int toolbarHeight;
    std::int64_t flags;
    Text firstTitle;
    int x;                // where the window opens
    bool escapeInjected;
  };
  const Text title = u"Halvit 0.65.0.601";
  const Text sp = test::START_PAGE;
  const Case cases[] = {
      {{}, sp, 23, 0xCF0000, title, 20, true},
      {{u"example"}, u"https://example", 23, 0xCF0000, title, 20, false},
      {{u"abc"}, sp, 23, 0xCF0000, title, 20, false},        // three characters: no address
      {{u"abcd"}, u"https://abcd", 23, 0xCF0000, title, 20, false},
      {{u"http://x.org"}, u"http://x.org", 23, 0xCF0000, title, 20, false},
      {{u"ftp://x"}, u"ftp://x", 23, 0xCF0000, title, 20, false},
      {{u"-NC"}, sp, 23, 0xCF0000, title, 20, false},        // switches are case-sensitive
      {{u"-NCX"}, u"https://-NCX", 23, 0xCF0000, title, 20, false},
      {{u"-nc"}, sp, -3, 0xCF0001, title, 20, false},
      {{u"-nc", u"example.org", u"ignored"}, u"https://example.org", -3, 0xCF0001, title, 20, false},
      {{u"-na"}, sp, 23, 0xCF0000, u"", 110, false},
      {{u"-na", u"about:blank"}, sp, 23, 0xCF0000, title, 110, false},
      {{u"-na", u"https://x.org"}, u"https://x.org", 23, 0xCF0000, u"", 110, false},
      {{u"/opt/halvit/page.html"}, u"/opt/halvit/page.html", 23, 0xCF0000, title, 20, false},
      {{u"/opt/halvit/Config"}, u"https:///opt/halvit/Config", 23, 0xCF0000, title, 20, false},
      {{u""}, sp, 23, 0xCF0000, title, 20, false},           // an empty parameter is a parameter
  };
  for (const auto& c : cases) {
    SimBrowser s;
    s.files.put(u"/opt/halvit/page.html", "<p>hi</p>");
    Browser& b = s.run(c.params);
    const Text what = c.params.empty() ? u"(none)" : c.params[0];
    SCOPED_TRACE(toUtf8(what));
    EXPECT_EQ(b.config.startUrl, c.startUrl);
    EXPECT_EQ(s.web.createdWith, c.startUrl);
    EXPECT_EQ(b.config.firstArg, c.params.empty() ? Text() : c.params[0]);
    EXPECT_EQ(b.config.toolbarHeight, c.toolbarHeight);
    EXPECT_EQ(b.config.windowFlags, c.flags);
    EXPECT_EQ(s.toolkit.titles.front(), c.firstTitle);
    EXPECT_EQ(s.toolkit.window.geometry.x, c.x);
    EXPECT_EQ(s.toolkit.window.centred, c.toolbarHeight < 0);
    EXPECT_EQ(s.toolkit.injectedKeys.size(), c.escapeInjected ? 1u : 0u);
    EXPECT_EQ(s.host.exitCode, 0);
  }
}

TEST(CommandLine, AnAddressOfAHundredThousandCharactersIsTakenWhole) {
  SimBrowser s;
  Text longAddress(100000, u'a');
  Browser& b = s.run({longAddress});
  EXPECT_EQ(b.config.startUrl, u"https://" + longAddress);
  EXPECT_EQ(s.web.requested.back(), u"https://" + longAddress);
  EXPECT_EQ(s.host.exitCode, 0);
}

TEST(StartPage, UsedOnlyWhenLargerThanAHundredBytesAndNoAddressWasGiven) {
  struct Case { std::optional<std::size_t> size; std::vector<Text> params; bool used; };
  const Case cases[] = {
      {101, {}, true},
      {100, {}, false},                    // exactly 100 bytes: the web view starts empty
      {std::nullopt, {}, false},
      {5000, {u"-na", u"about:blank"}, true},
      {5000, {u"https://x.org/:blank"}, true},  // ":blank" anywhere
      {5000, {u"https://x.org"}, false},
  };
  for (const auto& c : cases) {
    SimBrowser s;
    s.files.remove(test::START_PAGE);
    if (c.size) s.files.put(test::START_PAGE, std::string(*c.size, 'x'));
    Browser& b = s.run(c.params);
    EXPECT_EQ(b.config.startUrl == test::START_PAGE, c.used) << (c.size ? *c.size : 0);
    if (!c.used && c.params.empty()) {
      EXPECT_EQ(s.web.createdWith, u"");
    }
  }
}

TEST(StartUp, TheWindowAndItsControlsComeUpInOrder) {
  SimBrowser s;
  s.run();
  auto& t = s.toolkit;
  EXPECT_EQ(t.window.className, u"WindowClass_2142");
  EXPECT_EQ(t.window.number, 2142);
  EXPECT_EQ(t.window.background, 16777215);
  EXPECT_TRUE(t.inFront);
  EXPECT_EQ(t.geometry, (Rect{20, 20, 650, 570}));
  EXPECT_EQ(t.controlOrder, (std::vector<int>{88, 343, 345, 99, 11}));
  EXPECT_EQ(s.web.control, 0);
  EXPECT_EQ(s.web.where, (Rect{0, 26, 650, 544}));
  EXPECT_TRUE(s.web.silent);
  EXPECT_TRUE(s.web.contextMenuSuppressed);
  EXPECT_EQ(t.timers.at(1), 220);
  EXPECT_TRUE(t.control(CONTROL_ADDRESS_BAR).dropsEnabled);
  EXPECT_EQ(t.focus, CONTROL_ADDRESS_BAR);
  EXPECT_EQ(s.host.trimCount, 2) << "once for the web view, once before the loop";
  EXPECT_TRUE(s.host.dpiDeclared);
  EXPECT_EQ(s.browser->page.lastDropDownIndex, -1);
  EXPECT_EQ(s.browser->config.guardArmed.load(), 1);
  EXPECT_EQ(s.browser->config.buildDate, u"2019-04-09 13:40:35");
  EXPECT_EQ(s.browser->config.exeFileName, u"halvit");
  EXPECT_EQ(s.browser->config.programDir, u"/opt/halvit/");
  EXPECT_TRUE(t.released);
}

TEST(StartUp, EarlyExitsEndAtOnceWithExitCodeZero) {
  {
    SimBrowser s;
    s.files.remove(u"/opt/halvit/Config");
    s.run({u"example.org"});
    EXPECT_EQ(s.host.exitCode, 0);
    EXPECT_FALSE(s.toolkit.windowOpen) << "a missing Config folder opens no window";
    EXPECT_EQ(s.web.created, 0);
  }
  {
    SimBrowser s;
    s.files.remove(u"/opt/halvit/Config");
    s.files.put(u"/opt/halvit/Config", "a file, not a folder");
    s.run();
    EXPECT_FALSE(s.toolkit.windowOpen);
    EXPECT_EQ(s.host.exitCode, 0);
  }
  {
    SimBrowser s;
    s.host.supported = false;
    s.run();
    EXPECT_FALSE(s.toolkit.windowOpen) << "an unsupported system ends without a message";
    EXPECT_TRUE(s.toolkit.messageBoxes.empty());
    EXPECT_EQ(s.host.exitCode, 0);
  }
  {
    SimBrowser s;
    s.host.supported = std::nullopt;  // unknown counts as new enough
    s.run();
    EXPECT_TRUE(s.toolkit.windowOpen);
  }
}

TEST(StartUp, TheNoSafetyChecksNameSwitchIgnoresLetterCase) {
  struct Case { const char16_t* path; int off; };
  const Case cases[] = {
      {u"/opt/halvit/halvit", 0},
      {u"/opt/halvit/halvit_nsc.exe", 1},
      {u"/opt/halvit/HALVIT_NSC.EXE", 1},
      {u"/opt/halvit/halvit_nsc", 0},
  };
  for (const auto& c : cases) {
    SimBrowser s;
    s.host.path = c.path;
    Browser& b = s.run();
    EXPECT_EQ(b.config.safetyChecksOff, c.off) << toUtf8(c.path);
  }
}

TEST(Exit, GeometryIsSavedOnlyForANormalWindow) {
  const std::string before = "x=100\r\n";
  const std::string mark = "\xEF\xBB\xBF";
  struct Case {
    const char* what;
    std::vector<Text> params;
    std::function<void(sim::SimToolkit&)> user;
    std::string after;
  };
  const Case cases[] = {
      {"normal", {u"x.org/a"},
       [](sim::SimToolkit& t) { t.geometry = {30, 40, 800, 600}; },
       mark + "\r\nx = 30\r\ny = 40\r\nw = 800\r\nh = 600\r\n"},
      {"no chrome", {u"-nc"}, [](sim::SimToolkit& t) { t.geometry = {30, 40, 800, 600}; }, before},
      {"maximised", {u"x.org/a"}, [](sim::SimToolkit& t) { t.userMaximize(); }, before},
      {"minimised", {u"x.org/a"}, [](sim::SimToolkit& t) { t.userMinimize(); }, before},
  };
  for (const auto& c : cases) {
    SimBrowser s;
    s.files.put(test::MISC_INI, before);
    s.toolkit.script.push_back([&] { c.user(s.toolkit); });
    s.run(c.params);
    EXPECT_EQ(s.misc(), c.after) << c.what;
    EXPECT_EQ(s.host.exitCode, 0) << c.what;
  }
}

TEST(Exit, ASecondCopyCannotOverwriteTheFileTheFirstHolds) {
  SimBrowser first;
  first.files.put(test::MISC_INI, "x=100\r\n");
  Browser& a = first.fresh();
  first.host.params = {u"x.org/a"};
  // The first copy holds misc.ini while it runs; a second copy starts and ends meanwhile.
  first.toolkit.script.push_back([&] {
    sim::SimToolkit toolkit2;
    sim::SimWebView web2;
    sim::SimHost host2;
    host2.path = first.host.path;
    host2.params = {u"-na", u"x.org/b"};
    Browser b(Ports{toolkit2, web2, first.files, host2});
    toolkit2.script.push_back([&] { toolkit2.geometry = {500, 500, 600, 600}; });
    runBrowser(b);
    EXPECT_EQ(b.config.windowX, 190);
    EXPECT_EQ(first.misc(), "x=100\r\n") << "the second copy's geometry is dropped";
    first.toolkit.geometry = {1, 2, 700, 300};
  });
  runBrowser(a);
  EXPECT_EQ(first.misc(), "\xEF\xBB\xBF\r\nx = 1\r\ny = 2\r\nw = 700\r\nh = 300\r\n");
}

TEST(StartUp, TheSecondaryOffsetCannotOverflowTheStoredPosition) {
  SimBrowser s;
  s.files.put(test::MISC_INI, "x=9223372036854775807\r\n");
  Browser& b = s.run({u"-na", u"https://x.org"});
  EXPECT_EQ(b.config.windowX, INT64_MAX);
  EXPECT_EQ(s.toolkit.window.geometry.x, 100000);
}

TEST(Exit, ABadGeometryFromTheFileIsBroughtWithinTheBounds) {
  struct Case { const char* misc; Rect opened; };
  const Case cases[] = {
      {"w=abc\r\n", {20, 20, 510, 570}},
      {"w=100\r\nh=10\r\n", {20, 20, 510, 200}},
      {"w=99999\r\nh=-5\r\n", {20, 20, 2424, 200}},
      {"x=-99999999999999\r\ny=99999999999999\r\n", {-100000, 100000, 650, 570}},
  };
  for (const auto& c : cases) {
    SimBrowser s;
    s.files.put(test::MISC_INI, c.misc);
    s.run({u"-nc"});
    EXPECT_EQ(s.toolkit.window.geometry, c.opened) << c.misc;
  }
}

}  // namespace
}  // namespace halvit
