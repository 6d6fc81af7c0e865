#include "platform/gtk/files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

namespace halvit::gtk {

namespace {

// Closes a descriptor on every path out of a function.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd(Fd&& other) noexcept : fd_(other.release()) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~Fd() { reset(); }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

// O_NONBLOCK so that opening a FIFO or a device never hangs the browser; it is cleared again
// once the descriptor is known to be a regular file.
int openNoBlock(const std::string& path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

bool makeBlocking(int fd) {
  int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

bool readUpTo(int fd, std::uint64_t limit, std::string& out) {
  out.clear();
  char buffer[65536];
  while (out.size() < limit) {
    std::size_t want = sizeof buffer;
    if (limit - out.size() < want) want = static_cast<std::size_t>(limit - out.size());
    ssize_t got = ::read(fd, buffer, want);
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) break;
    out.append(buffer, static_cast<std::size_t>(got));
  }
  return true;
}

bool writeAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(put);
  }
  return true;
}

std::string folderOf(const std::string& path) {
  auto cut = path.find_last_of('/');
  if (cut == std::string::npos) return ".";
  if (cut == 0) return "/";
  return path.substr(0, cut);
}

std::string nameOf(const std::string& path) {
  auto cut = path.find_last_of('/');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// A link is followed, so that replacing the file keeps the link and updates what it points at.
std::string resolved(const std::string& path) {
  char buffer[PATH_MAX];
  if (::realpath(path.c_str(), buffer)) return buffer;
  return path;
}

class PosixHeldFile : public HeldFile {
 public:
  PosixHeldFile(std::string path, Fd fd, std::string bytes, bool writable, bool existed,
                bool existedEmpty, mode_t mode, uid_t uid, gid_t gid)
      : path_(std::move(path)), fd_(std::move(fd)), bytes_(std::move(bytes)),
        writable_(writable), existed_(existed), existedEmpty_(existedEmpty), mode_(mode),
        uid_(uid), gid_(gid) {}

  bool writable() const override { return writable_; }
  const std::string& bytes() const override { return bytes_; }
  bool existedEmpty() const override { return existedEmpty_; }

  bool replace(const std::string& bytes) override {
    if (!writable_) return false;
    const std::string folder = folderOf(path_);
    static std::atomic<unsigned> counter{0};
    std::string temp;
    Fd out;
    for (int attempt = 0; attempt < 100 && !out.valid(); ++attempt) {
      temp = folder + "/." + nameOf(path_) + "." + std::to_string(::getpid()) + "." +
             std::to_string(counter++) + ".tmp";
      // A new file gets 0666 less the umask, as any file the program creates.
      out.reset(openNoBlock(temp, O_WRONLY | O_CREAT | O_EXCL, existed_ ? 0600 : 0666));
      if (!out.valid() && errno != EEXIST) return false;
    }
    if (!out.valid()) return false;

    bool ok = makeBlocking(out.get());
    if (ok && existed_) {
      ok = ::fchmod(out.get(), mode_ & 07777) == 0;
      // Only root can give the file back to its owner; for anyone else it already is theirs.
      if (ok && ::geteuid() == 0) (void)::fchown(out.get(), uid_, gid_);
    }
    ok = ok && writeAll(out.get(), bytes) && ::fsync(out.get()) == 0;
    // The new file is locked before it takes the name, so another copy never finds the name
    // free of the lock.
    ok = ok && ::flock(out.get(), LOCK_EX | LOCK_NB) == 0;
    ok = ok && ::rename(temp.c_str(), path_.c_str()) == 0;
    if (!ok) {
      ::unlink(temp.c_str());
      return false;
    }
    Fd dir(openNoBlock(folder, O_RDONLY | O_DIRECTORY));
    // The rename already happened; a file system that cannot sync folders keeps it anyway.
    if (dir.valid()) (void)::fsync(dir.get());
    fd_ = std::move(out);
    existed_ = true;
    return true;
  }

 private:
  std::string path_;
  Fd fd_;
  std::string bytes_;
  bool writable_;
  bool existed_;
  bool existedEmpty_;
  mode_t mode_;
  uid_t uid_;
  gid_t gid_;
};

}  // namespace

FileKind PosixFiles::kindOf(const Text& path) {
  struct stat st;
  if (path.empty() || ::stat(toUtf8(path).c_str(), &st) != 0) return FileKind::Missing;
  return S_ISDIR(st.st_mode) ? FileKind::Directory : FileKind::File;
}

std::optional<std::uint64_t> PosixFiles::fileSize(const Text& path) {
  struct stat st;
  if (path.empty() || ::stat(toUtf8(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

std::optional<std::string> PosixFiles::readExclusive(const Text& path, std::uint64_t limit) {
  if (path.empty()) return std::nullopt;
  Fd fd(openNoBlock(toUtf8(path), O_RDONLY));
  struct stat st;
  if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
      !makeBlocking(fd.get()))
    return std::nullopt;
  // Advisory only: a copy that holds the file for update still lets us read it.
  (void)::flock(fd.get(), LOCK_SH | LOCK_NB);
  std::string bytes;
  if (!readUpTo(fd.get(), limit, bytes)) return std::nullopt;
  return bytes;
}

std::unique_ptr<HeldFile> PosixFiles::openForUpdate(const Text& path, std::uint64_t limit) {
  if (path.empty()) return nullptr;
  const std::string name = resolved(toUtf8(path));
  bool writable = true;
  Fd fd(openNoBlock(name, O_RDWR));
  if (!fd.valid()) {
    if (errno == ENOENT)
      return std::make_unique<PosixHeldFile>(name, Fd(), std::string(), true, false, false, 0,
                                             0, 0);
    if (errno != EACCES && errno != EROFS && errno != EPERM && errno != ETXTBSY) return nullptr;
    writable = false;
    fd.reset(openNoBlock(name, O_RDONLY));
    if (!fd.valid()) return nullptr;
  }
  struct stat st;
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || !makeBlocking(fd.get()))
    return nullptr;
  // Root may write anything; a file without its owner's write bit is still meant read-only.
  if (!(st.st_mode & S_IWUSR)) writable = false;
  // Another copy holding the file for update leaves us reading only.
  if (writable && ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) writable = false;
  std::string bytes;
  if (!readUpTo(fd.get(), limit, bytes)) return nullptr;
  return std::make_unique<PosixHeldFile>(name, std::move(fd), std::move(bytes), writable, true,
                                         st.st_size == 0, st.st_mode, st.st_uid, st.st_gid);
}

bool PosixFiles::append(const Text& path, const std::string& bytes) {
  if (path.empty()) return false;
  Fd fd(openNoBlock(toUtf8(path), O_WRONLY | O_APPEND | O_CREAT, 0666));
  struct stat st;
  if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
      !makeBlocking(fd.get()))
    return false;
  return writeAll(fd.get(), bytes);
}

}  // namespace halvit::gtk
