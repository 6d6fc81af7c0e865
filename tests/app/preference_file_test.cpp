#include "app/preference_file.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_files.h"

namespace halvit {
namespace {

const Text PATH = u"/p/misc.ini";
const std::string MARK = "\xEF\xBB\xBF";

struct Prefs {
  sim::SimFiles files;
  PreferenceFile prefs{files};
  explicit Prefs(std::optional<std::string> content) {
    if (content) files.put(PATH, *content);
    prefs.open(PATH);
  }
  std::string bytes() const { return files.bytes(PATH).value_or("<missing>"); }
};

TEST(PreferenceFile, ReadsKeysAsTheUserWroteThem) {
  struct Case { std::string content; const char16_t* key; const char16_t* text; std::int64_t number; };
  const Case cases[] = {
      {"x=100\r\n", u"x", u"100", 100},
      {"X=7\r\n", u"x", u"7", 7},                                   // keys ignore ASCII case
      {"  \tx \t=  \t 5  \r\n", u"x", u"5", 5},                     // blanks around "="
      {"x=1\r\nx=2\r\n", u"x", u"1", 1},                            // first occurrence wins
      {"w=abc\r\n", u"w", u"abc", 0},                               // not a number reads 0
      {"a=b;c\r\n", u"a", u"b;c", 0},                               // no comments after a value
      {"; x=5\r\n", u"x", u"default", -1},                          // a comment
      {"[Window]\r\nx=5\r\n", u"x", u"default", -1},                // after a group: not seen
      {"y=1\r\n[G]\r\nx=5\r\n", u"x", u"default", -1},
      {"x=5\rx=6\n\n\r\ny=7", u"y", u"7", 7},                       // any run of CR and LF ends a line
      {"k=caf\xE9\r\n", u"k", u"caf\u00e9", 0},                     // Latin-1 without a mark
      {MARK + "k=caf\xC3\xA9\r\n", u"k", u"caf\u00e9", 0},          // UTF-8 after the mark
      {"k=v  \t\r\n", u"k", u"v", 0},                               // trailing blanks trimmed on reading
      {"k\r\nv\r\n", u"k", u"", 0},                                 // no "=" and CR: empty value
      {"k\nv\n", u"k", u"v", 0},                                    // no "=" and a lone LF: next line
      {"x=100", u"x", u"100", 100},                                 // no line end at all
  };
  for (const auto& c : cases) {
    Prefs p(c.content);
    EXPECT_EQ(p.prefs.readText(c.key, u"default"), c.text) << c.content;
    EXPECT_EQ(p.prefs.readInteger(c.key, -1), c.number) << c.content;
  }
}

TEST(PreferenceFile, RewriteKeepsCommentsGroupsAndUnknownKeys) {
  struct Case { std::optional<std::string> before; std::string after; };
  const Case cases[] = {
      // The file of a fresh install after the window was at 30, 40 with 800 x 600.
      {std::string("x=100\r\n"), MARK + "\r\nx = 30\r\ny = 40\r\nw = 800\r\nh = 600\r\n"},
      {std::string("X=1\r\nY=2\r\n"), MARK + "\r\nx = 30\r\ny = 40\r\nw = 800\r\nh = 600\r\n"},
      // A key after a group header is not seen; the written key goes before the header.
      {std::string("[Window]\r\nx=5\r\n"),
       MARK + "\r\nx = 30\r\ny = 40\r\nw = 800\r\nh = 600\r\n[Window]\r\nx = 5\r\n"},
      {std::string(";  note\r\n\r\n  other =\tkeep \r\n[A]\r\n;c\r\n[B]\r\nz=1"),
       MARK + "\r\n;  note\r\nother = keep \r\nx = 30\r\ny = 40\r\nw = 800\r\nh = 600\r\n"
              "[A]\r\n; c\r\n\r\n[B]\r\nz = 1\r\n"},
      // Latin-1 comes back as UTF-8 with a mark.
      {std::string("t=\xE9t\xE9\r\n"),
       MARK + "\r\nt = \xC3\xA9t\xC3\xA9\r\nx = 30\r\ny = 40\r\nw = 800\r\nh = 600\r\n"},
      // A file of 0 bytes gets neither mark nor empty first line.
      {std::string(""), "x = 30\r\ny = 40\r\nw = 800\r\nh = 600\r\n"},
      // A missing file is created.
      {std::nullopt, MARK + "\r\nx = 30\r\ny = 40\r\nw = 800\r\nh = 600\r\n"},
  };
  for (const auto& c : cases) {
    Prefs p(c.before);
    p.prefs.writeInteger(u"x", 30);
    p.prefs.writeInteger(u"y", 40);
    p.prefs.writeInteger(u"w", 800);
    p.prefs.writeInteger(u"h", 600);
    EXPECT_EQ(p.bytes(), c.before.value_or("<missing>")) << "written before closing";
    p.prefs.close();
    EXPECT_EQ(p.bytes(), c.after) << c.before.value_or("<missing>");
  }
}

TEST(PreferenceFile, OpenAndCloseRules) {
  Prefs p(std::string("x=1\r\n"));
  p.prefs.close();
  EXPECT_EQ(p.bytes(), "x=1\r\n") << "nothing written, nothing rewritten";
  EXPECT_EQ(p.files.replaceCount(), 0);

  p.prefs.writeInteger(u"x", 5);  // no file open: no effect
  p.prefs.close();
  EXPECT_EQ(p.bytes(), "x=1\r\n");

  p.prefs.open(PATH);
  p.prefs.writeInteger(u"x", 2);
  p.prefs.open(PATH);  // opening again closes, and so rewrites, the open file first
  EXPECT_EQ(p.prefs.readInteger(u"x", 0), 2);
  EXPECT_EQ(p.files.replaceCount(), 1);
}

TEST(PreferenceFile, OddFilesAreReadButNeverDamaged) {
  const std::string binary = std::string("x=70\r\n\0\x01\xFF\xFE", 10);
  const std::string huge = "x=70\r\n" + std::string(50 * 1024 * 1024, 'a');
  const std::string badUtf8 = MARK + "x=70\r\nk=\xFF\r\n";
  struct Case { const char* what; std::string content; std::int64_t x; };
  const Case cases[] = {
      {"binary with NUL bytes", binary, 70},
      {"50 MB", huge, 70},
      {"invalid UTF-8 after the mark", badUtf8, 70},
  };
  for (const auto& c : cases) {
    Prefs p(c.content);
    EXPECT_EQ(p.prefs.readInteger(u"x", 20), c.x) << c.what;
    p.prefs.writeInteger(u"x", 1);
    p.prefs.close();
    EXPECT_TRUE(p.bytes() == c.content) << c.what << ": the file must stay byte for byte";
  }
}

TEST(PreferenceFile, FilesThatCannotBeWrittenKeepTheirBytes) {
  {
    Prefs p(std::nullopt);
    p.files.put(PATH, "x=3\r\n");
    p.files.setReadOnly(PATH, true);
    p.prefs.open(PATH);
    EXPECT_EQ(p.prefs.readInteger(u"x", 20), 3) << "read-only: settings are still read";
    p.prefs.writeInteger(u"x", 9);
    p.prefs.close();
    EXPECT_EQ(p.bytes(), "x=3\r\n");
  }
  {
    Prefs p(std::nullopt);
    p.files.putFolder(PATH);
    p.prefs.open(PATH);
    EXPECT_EQ(p.prefs.readInteger(u"x", 20), 20) << "a folder: defaults";
    p.prefs.writeInteger(u"x", 9);
    p.prefs.close();
    EXPECT_EQ(p.files.kindOf(PATH), FileKind::Directory);
  }
  {
    Prefs p(std::string("x=3\r\n"));
    p.files.setReplaceFails(true);
    p.prefs.writeInteger(u"x", 9);
    p.prefs.close();
    EXPECT_EQ(p.bytes(), "x=3\r\n") << "a failed rewrite leaves the old file whole";
  }
}

TEST(PreferenceFile, AFileHeldByAnotherCopyIsReadAndItsWritesAreDropped) {
  sim::SimFiles files;
  files.put(PATH, "x=3\r\n");
  PreferenceFile first(files), second(files);
  first.open(PATH);
  second.open(PATH);
  EXPECT_EQ(second.readInteger(u"x", 20), 3);
  second.writeInteger(u"x", 99);
  second.close();
  EXPECT_EQ(*files.bytes(PATH), "x=3\r\n");
  first.writeInteger(u"x", 4);
  first.close();
  EXPECT_EQ(*files.bytes(PATH), MARK + "\r\nx = 4\r\n");
}

}  // namespace
}  // namespace halvit
