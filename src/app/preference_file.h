#pragma once
// misc.ini: the preference file the user edits by hand. Read in Latin-1, or UTF-8 after a
// byte-order mark; rewritten in UTF-8 with a mark when a key was written, keeping comments,
// groups and unknown keys. The file stays held open from opening to closing.
#include <cstdint>
#include <memory>
#include <vector>

#include "app/files.h"
#include "text/text.h"

namespace halvit {

struct PreferenceLine {
  enum class Kind { Comment, Group, Key } kind = Kind::Key;
  Text name;   // comment text, group name or key
  Text value;  // key lines only
};

// Larger files, and files holding a NUL byte, are not text the browser wrote or the user
// typed: their keys are read, but they are never rewritten, so nothing in them is lost.
constexpr std::uint64_t PREFERENCE_FILE_MAX_BYTES = 1024 * 1024;

class PreferenceFile {
 public:
  explicit PreferenceFile(Files& files) : files_(files) {}
  ~PreferenceFile() = default;

  // Closes a file still open (rewriting it if needed), then opens `path`.
  void open(const Text& path);
  // Writes the file if a key was written since opening, then forgets it.
  void close();
  bool isOpen() const { return open_; }

  Text readText(TextView key, TextView defaultValue) const;
  std::int64_t readInteger(TextView key, std::int64_t defaultValue) const;
  void writeInteger(TextView key, std::int64_t value);

  // The parse and the rewrite on their own, for the file format's tests.
  static std::vector<PreferenceLine> parse(const std::string& bytes);
  static std::string render(const std::vector<PreferenceLine>& lines, bool withMark);

 private:
  const PreferenceLine* find(TextView key) const;

  Files& files_;
  std::unique_ptr<HeldFile> held_;
  std::vector<PreferenceLine> lines_;
  bool open_ = false;
  bool dirty_ = false;
  bool rewritable_ = false;
  bool existedEmpty_ = false;
};

}  // namespace halvit
