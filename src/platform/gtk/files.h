#pragma once
// Files on a POSIX system. "Held for update" is an exclusive flock on the open file, so a
// second copy of the browser opening the same file sees it as read-only, as it would when
// Windows denies the share.
#include "app/files.h"

namespace halvit::gtk {

class PosixFiles : public Files {
 public:
  FileKind kindOf(const Text& path) override;
  std::optional<std::uint64_t> fileSize(const Text& path) override;
  std::optional<std::string> readExclusive(const Text& path, std::uint64_t limit) override;
  std::unique_ptr<HeldFile> openForUpdate(const Text& path, std::uint64_t limit) override;
  bool append(const Text& path, const std::string& bytes) override;
};

}  // namespace halvit::gtk
