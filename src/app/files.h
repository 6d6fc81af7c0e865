#pragma once
// Files as the configuration needs them. Paths are texts with the platform's separator.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "text/text.h"

namespace halvit {

#ifdef _WIN32
constexpr char16_t PATH_SEPARATOR = u'\\';
#else
constexpr char16_t PATH_SEPARATOR = u'/';
#endif

enum class FileKind { Missing, File, Directory };

// A file held open for update: other openers may read it but not hold it for update too.
class HeldFile {
 public:
  virtual ~HeldFile() = default;
  virtual bool writable() const = 0;  // false when only reading was possible
  virtual const std::string& bytes() const = 0;  // the content read when it was opened
  virtual bool existedEmpty() const = 0;         // existed with 0 bytes at opening
  // Replaces the whole file: a temporary file beside it, flushed, renamed over it. On any
  // failure the old file stays whole and false is returned.
  virtual bool replace(const std::string& bytes) = 0;
};

class Files {
 public:
  virtual ~Files() = default;
  virtual FileKind kindOf(const Text& path) = 0;
  virtual std::optional<std::uint64_t> fileSize(const Text& path) = 0;  // files only
  // Reads a whole file while denying other openers; nullopt when it cannot be opened.
  // Reading stops after `limit` bytes.
  virtual std::optional<std::string> readExclusive(const Text& path, std::uint64_t limit) = 0;
  // Opens for update, or for reading only when that fails; nullptr when the file cannot be
  // opened at all. A missing file opens as an empty, writable one that does not exist yet.
  virtual std::unique_ptr<HeldFile> openForUpdate(const Text& path, std::uint64_t limit) = 0;
  // Appends bytes at the end, creating the file when missing.
  virtual bool append(const Text& path, const std::string& bytes) = 0;
};

}  // namespace halvit
