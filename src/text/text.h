#pragma once
// UTF-16 text as the browser keeps it in memory. Lengths and positions count UTF-16 code
// units; positions are 1-based where the rules speak of positions (0 means "not found").
#include <cstdint>
#include <string>
#include <string_view>

namespace halvit {

using Text = std::u16string;
using TextView = std::u16string_view;

// An empty needle is never found: rules built on `contains` must not fire on empty input.
bool contains(TextView haystack, TextView needle);
// 1-based position of needle at or after `start` (1-based), 0 when absent or needle empty.
std::size_t findPos(TextView haystack, TextView needle, std::size_t start = 1);
bool startsWith(TextView text, TextView prefix);
bool endsWith(TextView text, TextView suffix);

Text trimSpaces(TextView text);          // spaces and TABs at both ends
Text trimSpacesRight(TextView text);     // spaces and TABs at the end
Text toLowerAscii(TextView text);
bool equalsIgnoreAsciiCase(TextView a, TextView b);

// UTF-8 decoding as the list and text files need it: a byte that cannot begin a UTF-8
// sequence, or a broken sequence, reads as '?'; a byte-order mark is kept as U+FEFF.
Text fromUtf8(std::string_view bytes);
// Encodes UTF-16 as UTF-8; a lone surrogate becomes U+FFFD, so the output is always valid.
std::string toUtf8(TextView text);
Text fromLatin1(std::string_view bytes);
// Plain ASCII literal to Text (for names, numbers and messages built in code).
Text fromAscii(std::string_view ascii);

// Toolkit-style number reading: leading spaces and TABs, optional sign, decimal digits;
// 0 when the text does not start with a number; clamps to the 64-bit signed range.
std::int64_t readInteger(TextView text);
Text formatInteger(std::int64_t value);

}  // namespace halvit
