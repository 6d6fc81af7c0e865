#pragma once
// Files in memory: a table of paths with their bytes, folders, read-only marks and files held
// by another program, so tests can set up any folder without touching the disk.
#include <map>
#include <set>

#include "app/files.h"

namespace halvit::sim {

class SimFiles : public Files {
 public:
  void put(const Text& path, std::string bytes);
  void putFolder(const Text& path);
  void remove(const Text& path);
  void setReadOnly(const Text& path, bool readOnly);
  // Another program holds the file without sharing: opening it fails, for reading too.
  void setLockedByOther(const Text& path, bool locked);
  // Replacing files fails (a full disk, say).
  void setReplaceFails(bool fails) { replaceFails_ = fails; }
  std::optional<std::string> bytes(const Text& path) const;
  int replaceCount() const { return replaceCount_; }

  FileKind kindOf(const Text& path) override;
  std::optional<std::uint64_t> fileSize(const Text& path) override;
  std::optional<std::string> readExclusive(const Text& path, std::uint64_t limit) override;
  std::unique_ptr<HeldFile> openForUpdate(const Text& path, std::uint64_t limit) override;
  bool append(const Text& path, const std::string& bytes) override;

 private:
  friend class SimHeldFile;
  std::map<Text, std::string> files_;
  std::set<Text> folders_;
  std::set<Text> readOnly_;
  std::set<Text> lockedByOther_;
  std::set<Text> heldForUpdate_;
  bool replaceFails_ = false;
  int replaceCount_ = 0;
};

}  // namespace halvit::sim
