#include "text/text.h"

#include <gtest/gtest.h>

#include <limits>

namespace halvit {
namespace {

TEST(Text, ContainsAndPositionsNeverFindAnEmptyNeedle) {
  struct Case { const char16_t* hay; const char16_t* needle; bool contained; std::size_t pos; };
  const Case cases[] = {
      {u"https://example.com", u"://", true, 6},
      {u"abc", u"", false, 0},
      {u"", u"", false, 0},
      {u"", u"a", false, 0},
      {u"abcabc", u"c", true, 3},
      {u"ABC", u"abc", false, 0},
      {u"\u00e9t\u00e9", u"t\u00e9", true, 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(contains(c.hay, c.needle), c.contained) << toUtf8(c.hay);
    EXPECT_EQ(findPos(c.hay, c.needle), c.pos) << toUtf8(c.hay);
  }
  EXPECT_EQ(findPos(u"abcabc", u"c", 4), 6u);
  EXPECT_EQ(findPos(u"abc", u"c", 9), 0u);
}

TEST(Text, Utf8DecodingTurnsEveryBadByteIntoAQuestionMark) {
  struct Case { std::string bytes; Text text; };
  const Case cases[] = {
      {"plain", u"plain"},
      {"\xEF\xBB\xBFx", u"\uFEFFx"},            // the mark is not recognised, it stays
      {"caf\xC3\xA9", u"caf\u00e9"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},        // outside the basic plane: a surrogate pair
      {"a\xE9z", u"a?z"},                         // a Latin-1 byte
      {"\xC3", u"?"},                              // cut short at the end
      {"\xC0\xAF", u"??"},                         // overlong
      {"\xED\xA0\x80", u"???"},                    // an encoded surrogate
      {"\xF5\x80\x80\x80", u"????"},               // beyond U+10FFFF
      {"\xE2\x82x", u"??x"},                       // broken in the middle
      {std::string("a\0b", 3), Text(u"a\0b", 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(fromUtf8(c.bytes), c.text) << c.bytes;
}

TEST(Text, Utf8EncodingIsAlwaysValid) {
  EXPECT_EQ(toUtf8(u"caf\u00e9 \u2261"), "caf\xC3\xA9 \xE2\x89\xA1");
  EXPECT_EQ(toUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(toUtf8(Text(1, char16_t(0xD800))), "\xEF\xBF\xBD");   // lone high surrogate
  EXPECT_EQ(toUtf8(Text(1, char16_t(0xDC00)) + u"a"), "\xEF\xBF\xBD" "a");
  Text cutPair = Text(u"\U0001F600").substr(0, 1) + u"x";
  EXPECT_EQ(fromUtf8(toUtf8(cutPair)), u"\uFFFDx");
  EXPECT_EQ(fromLatin1("\xE9\xFF"), u"\u00e9\u00ff");
}

TEST(Text, IntegersAreReadFromTheStartOfTheText) {
  constexpr auto max = std::numeric_limits<std::int64_t>::max();
  constexpr auto min = std::numeric_limits<std::int64_t>::min();
  struct Case { const char16_t* text; std::int64_t value; };
  const Case cases[] = {
      {u"100", 100},        {u"  42", 42},       {u"\t-7", -7},         {u"+5", 5},
      {u"12abc", 12},       {u"abc", 0},         {u"", 0},              {u"-", 0},
      {u"1 2", 1},          {u"9223372036854775807", max},
      {u"-9223372036854775808", min},           {u"99999999999999999999", max},
      {u"-99999999999999999999", min},
  };
  for (const auto& c : cases) EXPECT_EQ(readInteger(c.text), c.value) << toUtf8(c.text);
  EXPECT_EQ(formatInteger(-30), u"-30");
}

TEST(Text, TrimmingAndCase) {
  EXPECT_EQ(trimSpaces(u" \t a b \t"), u"a b");
  EXPECT_EQ(trimSpacesRight(u" a \t"), u" a");
  EXPECT_TRUE(equalsIgnoreAsciiCase(u"AllowHTTPNavigation", u"allowhttpnavigation"));
  EXPECT_FALSE(equalsIgnoreAsciiCase(u"\u00c9", u"\u00e9"));  // only ASCII letters fold
}

}  // namespace
}  // namespace halvit
