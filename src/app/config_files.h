#pragma once
// The Config folder beside the program and the files in it: every file is optional and read
// once, at start-up.
#include <vector>

#include "app/files.h"
#include "text/text.h"

namespace halvit {

struct Browser;

// Text and list files larger than this are read up to it.
constexpr std::uint64_t TEXT_FILE_MAX_BYTES = 64ull * 1024 * 1024;

// The whole file as one text, up to its first NUL byte; "" when it cannot be opened.
Text readWholeTextFile(Files& files, const Text& path);
// Appends the file's lines (split only at CR LF, nothing trimmed, empty pieces kept); does
// nothing when path names no existing file or the file cannot be opened.
void readListFile(Files& files, const Text& path, std::vector<Text>& list);
// Splits a text at every CR LF into n + 1 pieces.
std::vector<Text> splitAtCrLf(TextView text);

// Reads help.txt, tld.ini, the three list files and misc.ini's keys; misc.ini stays open.
void loadConfiguration(Browser& browser);
// Opens misc.ini again and writes the window's geometry; the file is rewritten when closed.
void saveGeometry(Browser& browser);

}  // namespace halvit
