#include "app/preference_file.h"

namespace halvit {

namespace {

constexpr std::string_view UTF8_MARK = "\xEF\xBB\xBF";

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool isLineEnd(char16_t c) { return c == u'\r' || c == u'\n'; }

// Decodes the file as it is read: UTF-8 after a mark, Latin-1 otherwise. `lossless` tells
// whether a rewrite in UTF-8 would keep every character the user wrote.
Text decode(const std::string& bytes, bool& lossless) {
  lossless = true;
  if (bytes.size() > 2 && bytes.compare(0, 3, UTF8_MARK) == 0) {
    std::string_view rest(bytes.data() + 3, bytes.size() - 3);
    Text text = fromUtf8(rest);
    lossless = toUtf8(text) == rest;
    return text;
  }
  return fromLatin1(bytes);
}

std::vector<PreferenceLine> parseText(const Text& text) {
  std::vector<PreferenceLine> lines;
  const std::size_t n = text.size();
  std::size_t i = 0;

  // Reads one line from i: returns its text and leaves i at its line end.
  auto readLine = [&]() {
    std::size_t start = i;
    while (i < n && !isLineEnd(text[i])) ++i;
    return TextView(text).substr(start, i - start);
  };
  auto skipLineEnds = [&]() {
    while (i < n && isLineEnd(text[i])) ++i;
  };
  auto skipBlanks = [&]() {
    while (i < n && isBlank(text[i])) ++i;
  };

  while (true) {
    skipLineEnds();
    skipBlanks();
    if (i >= n) break;
    if (isLineEnd(text[i])) continue;  // a line of blanks only
    TextView line = readLine();
    PreferenceLine entry;
    if (line[0] == u';') {
      entry.kind = PreferenceLine::Kind::Comment;
      TextView rest = line.substr(1);
      if (!rest.empty() && rest[0] == u' ') rest.remove_prefix(1);
      entry.name = Text(rest);
    } else if (line[0] == u'[') {
      entry.kind = PreferenceLine::Kind::Group;
      TextView rest = line.substr(1);
      auto close = rest.find(u']');
      entry.name = Text(close == TextView::npos ? rest : rest.substr(0, close));
    } else {
      entry.kind = PreferenceLine::Kind::Key;
      auto eq = line.find(u'=');
      if (eq != TextView::npos) {
        entry.name = trimSpacesRight(line.substr(0, eq));
        TextView value = line.substr(eq + 1);
        while (!value.empty() && isBlank(value[0])) value.remove_prefix(1);
        entry.value = Text(value);
      } else {
        entry.name = trimSpacesRight(line);
        // A key line without "=" that ends in a lone LF takes the next line as its value;
        // with CR (as with CR LF line ends) its value is empty.
        if (i < n && text[i] == u'\n') {
          skipLineEnds();
          skipBlanks();
          entry.value = Text(readLine());
        }
      }
    }
    lines.push_back(std::move(entry));
  }
  return lines;
}

}  // namespace

std::vector<PreferenceLine> PreferenceFile::parse(const std::string& bytes) {
  bool lossless;
  return parseText(decode(bytes, lossless));
}

std::string PreferenceFile::render(const std::vector<PreferenceLine>& lines, bool withMark) {
  std::string out;
  if (withMark) {
    out += UTF8_MARK;
    out += "\r\n";
  }
  bool firstGroup = true;
  for (const auto& line : lines) {
    switch (line.kind) {
      case PreferenceLine::Kind::Group:
        if (!firstGroup) out += "\r\n";
        firstGroup = false;
        out += "[" + toUtf8(line.name) + "]";
        break;
      case PreferenceLine::Kind::Comment:
        out += "; " + toUtf8(line.name);
        break;
      case PreferenceLine::Kind::Key:
        out += toUtf8(line.name) + " = " + toUtf8(line.value);
        break;
    }
    out += "\r\n";
  }
  return out;
}

void PreferenceFile::open(const Text& path) {
  close();
  held_ = files_.openForUpdate(path, PREFERENCE_FILE_MAX_BYTES + 1);
  open_ = true;
  dirty_ = false;
  lines_.clear();
  rewritable_ = false;
  existedEmpty_ = false;
  if (!held_) return;  // unopenable (a folder, say): defaults, and writes go nowhere
  const std::string& bytes = held_->bytes();
  bool lossless;
  lines_ = parseText(decode(bytes, lossless));
  const bool looksLikeText =
      bytes.size() <= PREFERENCE_FILE_MAX_BYTES && bytes.find('\0') == std::string::npos;
  rewritable_ = held_->writable() && looksLikeText && lossless;
  existedEmpty_ = held_->existedEmpty();
}

void PreferenceFile::close() {
  if (!open_) return;
  if (dirty_ && rewritable_ && held_) held_->replace(render(lines_, !existedEmpty_));
  held_.reset();
  lines_.clear();
  open_ = false;
  dirty_ = false;
}

const PreferenceLine* PreferenceFile::find(TextView key) const {
  // Only keys before the first group header count, and the first occurrence wins.
  for (const auto& line : lines_) {
    if (line.kind == PreferenceLine::Kind::Group) break;
    if (line.kind == PreferenceLine::Kind::Key && equalsIgnoreAsciiCase(line.name, key))
      return &line;
  }
  return nullptr;
}

Text PreferenceFile::readText(TextView key, TextView defaultValue) const {
  const PreferenceLine* line = find(key);
  return line ? trimSpacesRight(line->value) : Text(defaultValue);
}

std::int64_t PreferenceFile::readInteger(TextView key, std::int64_t defaultValue) const {
  const PreferenceLine* line = find(key);
  return line ? halvit::readInteger(line->value) : defaultValue;
}

void PreferenceFile::writeInteger(TextView key, std::int64_t value) {
  if (!open_) return;
  dirty_ = true;
  if (auto* line = const_cast<PreferenceLine*>(find(key))) {
    line->name = Text(key);
    line->value = formatInteger(value);
    return;
  }
  PreferenceLine entry{PreferenceLine::Kind::Key, Text(key), formatInteger(value)};
  auto at = lines_.begin();
  while (at != lines_.end() && at->kind != PreferenceLine::Kind::Group) ++at;
  lines_.insert(at, std::move(entry));
}

}  // namespace halvit
