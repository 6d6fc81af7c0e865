#include "platform/sim/sim_files.h"

namespace halvit::sim {

class SimHeldFile : public HeldFile {
 public:
  SimHeldFile(SimFiles& owner, Text path, std::string bytes, bool writable, bool existedEmpty)
      : owner_(owner), path_(std::move(path)), bytes_(std::move(bytes)), writable_(writable),
        existedEmpty_(existedEmpty) {
    if (writable_) owner_.heldForUpdate_.insert(path_);
  }
  ~SimHeldFile() override {
    if (writable_) owner_.heldForUpdate_.erase(path_);
  }
  bool writable() const override { return writable_; }
  const std::string& bytes() const override { return bytes_; }
  bool existedEmpty() const override { return existedEmpty_; }
  bool replace(const std::string& bytes) override {
    if (!writable_ || owner_.replaceFails_) return false;
    owner_.files_[path_] = bytes;
    ++owner_.replaceCount_;
    return true;
  }

 private:
  SimFiles& owner_;
  Text path_;
  std::string bytes_;
  bool writable_;
  bool existedEmpty_;
};

void SimFiles::put(const Text& path, std::string bytes) { files_[path] = std::move(bytes); }
void SimFiles::putFolder(const Text& path) { folders_.insert(path); }
void SimFiles::remove(const Text& path) {
  files_.erase(path);
  folders_.erase(path);
}
void SimFiles::setReadOnly(const Text& path, bool readOnly) {
  if (readOnly) readOnly_.insert(path); else readOnly_.erase(path);
}
void SimFiles::setLockedByOther(const Text& path, bool locked) {
  if (locked) lockedByOther_.insert(path); else lockedByOther_.erase(path);
}

std::optional<std::string> SimFiles::bytes(const Text& path) const {
  auto found = files_.find(path);
  if (found == files_.end()) return std::nullopt;
  return found->second;
}

FileKind SimFiles::kindOf(const Text& path) {
  if (files_.count(path)) return FileKind::File;
  if (folders_.count(path)) return FileKind::Directory;
  return FileKind::Missing;
}

std::optional<std::uint64_t> SimFiles::fileSize(const Text& path) {
  auto found = files_.find(path);
  if (found == files_.end()) return std::nullopt;
  return found->second.size();
}

std::optional<std::string> SimFiles::readExclusive(const Text& path, std::uint64_t limit) {
  auto found = files_.find(path);
  if (found == files_.end() || lockedByOther_.count(path)) return std::nullopt;
  return found->second.substr(0, limit);
}

std::unique_ptr<HeldFile> SimFiles::openForUpdate(const Text& path, std::uint64_t limit) {
  if (folders_.count(path) || lockedByOther_.count(path)) return nullptr;
  auto found = files_.find(path);
  if (found == files_.end())
    return std::make_unique<SimHeldFile>(*this, path, std::string(), true, false);
  const bool writable = !readOnly_.count(path) && !heldForUpdate_.count(path);
  return std::make_unique<SimHeldFile>(*this, path, found->second.substr(0, limit), writable,
                                       found->second.empty());
}

bool SimFiles::append(const Text& path, const std::string& bytes) {
  if (folders_.count(path) || readOnly_.count(path) || lockedByOther_.count(path)) return false;
  files_[path] += bytes;
  return true;
}

}  // namespace halvit::sim
