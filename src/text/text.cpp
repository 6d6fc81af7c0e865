#include "text/text.h"

#include <limits>

namespace halvit {

bool contains(TextView haystack, TextView needle) {
  return !needle.empty() && haystack.find(needle) != TextView::npos;
}

std::size_t findPos(TextView haystack, TextView needle, std::size_t start) {
  if (needle.empty() || start == 0 || start > haystack.size()) return 0;
  auto at = haystack.find(needle, start - 1);
  return at == TextView::npos ? 0 : at + 1;
}

bool startsWith(TextView text, TextView prefix) {
  return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

bool endsWith(TextView text, TextView suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

static bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

Text trimSpaces(TextView text) {
  std::size_t b = 0, e = text.size();
  while (b < e && isBlank(text[b])) ++b;
  while (e > b && isBlank(text[e - 1])) --e;
  return Text(text.substr(b, e - b));
}

Text trimSpacesRight(TextView text) {
  std::size_t e = text.size();
  while (e > 0 && isBlank(text[e - 1])) --e;
  return Text(text.substr(0, e));
}

static char16_t lowerAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? c + 32 : c; }

Text toLowerAscii(TextView text) {
  Text out(text);
  for (auto& c : out) c = lowerAscii(c);
  return out;
}

bool equalsIgnoreAsciiCase(TextView a, TextView b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  return true;
}

static void appendCodePoint(Text& out, char32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(cp));
  }
}

Text fromUtf8(std::string_view bytes) {
  Text out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  const std::size_t n = bytes.size();
  while (i < n) {
    auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    int extra;
    char32_t cp;
    char32_t minimum;
    if (b >= 0xC2 && b <= 0xDF) { extra = 1; cp = b & 0x1F; minimum = 0x80; }
    else if (b >= 0xE0 && b <= 0xEF) { extra = 2; cp = b & 0x0F; minimum = 0x800; }
    else if (b >= 0xF0 && b <= 0xF4) { extra = 3; cp = b & 0x07; minimum = 0x10000; }
    else { out.push_back(u'?'); ++i; continue; }
    bool ok = i + static_cast<std::size_t>(extra) < n;
    if (ok) {
      for (int k = 1; k <= extra; ++k) {
        auto c = static_cast<unsigned char>(bytes[i + k]);
        if ((c & 0xC0) != 0x80) { ok = false; break; }
        cp = (cp << 6) | (c & 0x3F);
      }
    }
    if (!ok || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out.push_back(u'?');
      ++i;  // resynchronise on the next byte
      continue;
    }
    appendCodePoint(out, cp);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

std::string toUtf8(TextView text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

Text fromLatin1(std::string_view bytes) {
  Text out;
  out.reserve(bytes.size());
  for (char b : bytes) out.push_back(static_cast<unsigned char>(b));
  return out;
}

Text fromAscii(std::string_view ascii) { return fromLatin1(ascii); }

std::int64_t readInteger(TextView text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
    negative = text[i] == u'-';
    ++i;
  }
  // Accumulate as a negative number so that INT64_MIN is reachable without overflow.
  std::int64_t value = 0;
  constexpr auto lo = std::numeric_limits<std::int64_t>::min();
  bool clamped = false;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    int digit = text[i] - u'0';
    if (clamped) continue;
    if (value < (lo + digit) / 10) {
      clamped = true;
      value = lo;
      continue;
    }
    value = value * 10 - digit;
  }
  if (negative) return value;
  if (value == lo) return std::numeric_limits<std::int64_t>::max();
  return -value;
}

Text formatInteger(std::int64_t value) { return fromAscii(std::to_string(value)); }

}  // namespace halvit
