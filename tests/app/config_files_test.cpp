#include "app/config_files.h"

#include <gtest/gtest.h>

#include "support/sim_browser.h"

namespace halvit {
namespace {

const Text LIST = u"/p/list.ini";

TEST(ListFile, SplitsOnlyAtCrLfAndKeepsEveryPiece) {
  struct Case { std::string bytes; std::vector<Text> lines; };
  const Case cases[] = {
      {"a\r\nb", {u"a", u"b"}},
      {"a\r\nb\r\n", {u"a", u"b", u""}},                 // a last empty entry
      {"", {u""}},                                       // an empty file: one empty entry
      {"a\nb\nc", {u"a\nb\nc"}},                         // LF alone does not split
      {"a\rb\r", {u"a\rb\r"}},                           // nor CR alone
      {" a \t\r\n\r\n", {u" a \t", u"", u""}},           // nothing trimmed
      {"a\r\r\nb", {u"a\r", u"b"}},
      {std::string("a\r\nb\0c\r\nd", 9), {u"a", u"b"}},  // the text ends at the first NUL
      {"\xEF\xBB\xBFx\r\n\xE9", {u"\uFEFFx", u"?"}},     // no mark recognised; bad UTF-8 reads '?'
  };
  for (const auto& c : cases) {
    sim::SimFiles files;
    files.put(LIST, c.bytes);
    std::vector<Text> list{u"kept"};
    readListFile(files, LIST, list);
    std::vector<Text> expected{u"kept"};
    expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(list, expected) << c.bytes;
  }
}

TEST(ListFile, NothingIsAddedForAMissingFolderOrUnopenableFile) {
  sim::SimFiles files;
  files.putFolder(u"/p/dir");
  files.put(u"/p/locked", "a\r\nb");
  files.setLockedByOther(u"/p/locked", true);
  for (const Text& path : {Text(u"/p/missing"), Text(u"/p/dir"), Text(u"/p/locked")}) {
    std::vector<Text> list;
    readListFile(files, path, list);
    EXPECT_TRUE(list.empty()) << toUtf8(path);
  }
  EXPECT_EQ(readWholeTextFile(files, u"/p/missing"), u"");
}

TEST(Configuration, EveryFileIsReadAtStartUp) {
  test::SimBrowser s;
  s.files.put(test::PROGRAM_DIR + u"help.txt", "\xEF\xBB\xBFHelp \xE2\x89\xA1");
  s.files.put(test::CONFIG_DIR + u"tld.ini", "com\r\nde\r\n");
  s.files.put(test::CONFIG_DIR + u"patterns.ini", "abc\tcomment\r\nxy");
  s.files.put(test::CONFIG_DIR + u"staticURLs.ini", "https://a.example\r\nab\r\n\r\nres://x");
  s.files.put(test::CONFIG_DIR + u"http.ini", "http://127.0.0.1\r\n");
  s.files.put(test::MISC_INI,
              "GTranslateDefaultTargetLanguage = de  \r\nDisablePatchLevelChecks=1\r\n"
              "x=11\r\ny=12\r\nw=700\r\nh=500\r\nAllowHTTPNavigation=2\r\n");
  Browser& b = s.run({u"-nc"});
  const AppConfig& c = b.config;
  EXPECT_EQ(c.helpText, u"\uFEFFHelp \u2261");
  EXPECT_EQ(c.tldWhitelist, u"com\r\nde\r\n");
  EXPECT_EQ(c.patternList, (std::vector<Text>{u"abc\tcomment", u"xy"}));
  EXPECT_EQ(c.httpAllowList, (std::vector<Text>{u"http://127.0.0.1", u""}));
  EXPECT_EQ(c.translateTarget, u"de");
  EXPECT_EQ(c.disablePatchLevelChecks, 1);
  EXPECT_EQ(c.safetyChecksOff, 1);
  EXPECT_EQ(c.allowHttpNavigation, 2);
  EXPECT_EQ(c.windowW, 700);
  EXPECT_EQ(c.miscIniPath, test::MISC_INI);
  EXPECT_EQ(c.staticUrlsPath, test::CONFIG_DIR + u"staticURLs.ini");
  // The drop-down list takes the entries of 3 or more characters, in file order.
  EXPECT_EQ(s.toolkit.control(CONTROL_ADDRESS_BAR).items,
            (std::vector<Text>{u"https://a.example", u"res://x"}));
}

TEST(Configuration, MissingFilesGiveDefaults) {
  test::SimBrowser s;
  Browser& b = s.run({u"-nc"});
  const AppConfig& c = b.config;
  EXPECT_EQ(c.helpText, u"");
  EXPECT_TRUE(c.patternList.empty());
  EXPECT_EQ(c.translateTarget, u"en");
  EXPECT_EQ((Rect{int(c.windowX), int(c.windowY), int(c.windowW), int(c.windowH)}),
            (Rect{20, 20, 650, 570}));
  EXPECT_EQ(c.allowHttpNavigation, 0);
  EXPECT_EQ(c.safetyChecksOff, 0);
}

}  // namespace
}  // namespace halvit
