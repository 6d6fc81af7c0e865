#include "platform/gtk/files.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace halvit::gtk {
namespace {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = ::testing::TempDir() + "halvit-files-XXXXXX";
    path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempFolder() {
    if (!path_.empty()) std::system(("chmod -R u+rwx '" + path_ + "'; rm -rf '" + path_ + "'").c_str());
  }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

std::vector<std::string> namesIn(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (dirent* entry = ::readdir(dir))
      if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
        names.push_back(entry->d_name);
    ::closedir(dir);
  }
  return names;
}

mode_t modeOf(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

Text t(const std::string& path) { return fromUtf8(path); }

TEST(PosixFiles, KindsSizesAndReads) {
  TempFolder dir;
  PosixFiles files;
  write(dir.file("a.ini"), "abcdef");
  write(dir.file("empty"), "");
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);

  EXPECT_EQ(files.kindOf(t(dir.file("a.ini"))), FileKind::File);
  EXPECT_EQ(files.kindOf(t(dir.path())), FileKind::Directory);
  EXPECT_EQ(files.kindOf(t(dir.file("none"))), FileKind::Missing);
  EXPECT_EQ(files.kindOf(u""), FileKind::Missing);

  EXPECT_EQ(files.fileSize(t(dir.file("a.ini"))), 6u);
  EXPECT_EQ(files.fileSize(t(dir.file("empty"))), 0u);
  EXPECT_EQ(files.fileSize(t(dir.path())), std::nullopt);
  EXPECT_EQ(files.fileSize(t(dir.file("none"))), std::nullopt);

  EXPECT_EQ(files.readExclusive(t(dir.file("a.ini")), 100), "abcdef");
  EXPECT_EQ(files.readExclusive(t(dir.file("a.ini")), 4), "abcd");
  EXPECT_EQ(files.readExclusive(t(dir.file("empty")), 100), "");
  EXPECT_EQ(files.readExclusive(t(dir.file("none")), 100), std::nullopt);
  EXPECT_EQ(files.readExclusive(t(dir.path()), 100), std::nullopt);
  // A FIFO without a writer would block a plain open for ever.
  EXPECT_EQ(files.readExclusive(t(dir.file("fifo")), 100), std::nullopt);
  EXPECT_EQ(files.openForUpdate(t(dir.file("fifo")), 100), nullptr);
}

TEST(PosixFiles, OpenForUpdateReadsAndReplacesKeepingModeAndLink) {
  TempFolder dir;
  PosixFiles files;
  const std::string path = dir.file("misc.ini");
  write(path, "x=1\r\ny=2\r\n");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_EQ(::symlink(path.c_str(), dir.file("link.ini").c_str()), 0);

  auto held = files.openForUpdate(t(dir.file("link.ini")), 5);
  ASSERT_NE(held, nullptr);
  EXPECT_TRUE(held->writable());
  EXPECT_EQ(held->bytes(), "x=1\r\n");  // stops at the limit
  EXPECT_FALSE(held->existedEmpty());

  EXPECT_TRUE(held->replace("w=700\r\n"));
  EXPECT_EQ(read(path), "w=700\r\n");
  EXPECT_EQ(modeOf(path), 0640u);
  struct stat st {};
  ASSERT_EQ(::lstat(dir.file("link.ini").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link is kept, its target replaced";
  EXPECT_TRUE(held->replace(""));
  EXPECT_EQ(read(path), "");
  EXPECT_EQ(namesIn(dir.path()).size(), 2u) << "no temporary file is left behind";
}

TEST(PosixFiles, MissingFileOpensWritableAndEmptyWithoutBeingCreated) {
  TempFolder dir;
  PosixFiles files;
  const std::string path = dir.file("new.ini");
  auto held = files.openForUpdate(t(path), 100);
  ASSERT_NE(held, nullptr);
  EXPECT_TRUE(held->writable());
  EXPECT_EQ(held->bytes(), "");
  EXPECT_FALSE(held->existedEmpty());
  EXPECT_EQ(files.kindOf(t(path)), FileKind::Missing);
  EXPECT_TRUE(held->replace("a=1"));
  EXPECT_EQ(read(path), "a=1");

  write(dir.file("empty.ini"), "");
  auto empty = files.openForUpdate(t(dir.file("empty.ini")), 100);
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(empty->existedEmpty());
}

TEST(PosixFiles, WhatCannotBeHeldForUpdate) {
  TempFolder dir;
  PosixFiles files;
  EXPECT_EQ(files.openForUpdate(t(dir.path()), 100), nullptr);
  EXPECT_EQ(files.openForUpdate(u"", 100), nullptr);

  // Without its owner's write bit a file is read-only, even for root.
  const std::string locked = dir.file("readonly.ini");
  write(locked, "keep");
  ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
  auto readOnly = files.openForUpdate(t(locked), 100);
  ASSERT_NE(readOnly, nullptr);
  EXPECT_FALSE(readOnly->writable());
  EXPECT_EQ(readOnly->bytes(), "keep");
  EXPECT_FALSE(readOnly->replace("lost"));
  EXPECT_EQ(read(locked), "keep");
}

TEST(PosixFiles, ASecondHolderOnlyReadsUntilTheFirstLetsGo) {
  TempFolder dir;
  PosixFiles files;
  const std::string path = dir.file("misc.ini");
  write(path, "a");
  auto first = files.openForUpdate(t(path), 100);
  ASSERT_NE(first, nullptr);
  ASSERT_TRUE(first->writable());

  auto second = files.openForUpdate(t(path), 100);
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(second->writable());
  EXPECT_EQ(second->bytes(), "a");
  second.reset();

  // Replacing puts a new file under the name; it is held too.
  ASSERT_TRUE(first->replace("b"));
  auto third = files.openForUpdate(t(path), 100);
  ASSERT_NE(third, nullptr);
  EXPECT_FALSE(third->writable());
  EXPECT_EQ(third->bytes(), "b");
  third.reset();

  first.reset();
  auto fourth = files.openForUpdate(t(path), 100);
  ASSERT_NE(fourth, nullptr);
  EXPECT_TRUE(fourth->writable());
}

TEST(PosixFiles, AFailedReplaceLeavesTheOldFileWhole) {
  enum class Failure { FolderVanished, NameTooLong, WriteFails };
  struct Case {
    const char* what;
    std::string name;
    Failure failure;
  };
  const Case cases[] = {
      // The folder is gone from under the held file: no temporary file can be made there.
      {"folder vanished", "misc.ini", Failure::FolderVanished},
      // The temporary name beside it is longer than a file name may be.
      {"no room for the temporary name", std::string(250, 'm'), Failure::NameTooLong},
      // The temporary file is made but cannot be written in full, as on a full disk.
      {"write fails", "misc.ini", Failure::WriteFails},
  };
  for (const auto& c : cases) {
    TempFolder top;
    const std::string folder = top.file("Config");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const std::string path = folder + "/" + c.name;
    write(path, "old=1\r\n");
    PosixFiles files;
    auto held = files.openForUpdate(t(path), 100);
    ASSERT_NE(held, nullptr) << c.what;
    ASSERT_TRUE(held->writable()) << c.what;

    std::string now = path;
    if (c.failure == Failure::FolderVanished) {
      ASSERT_EQ(::rename(folder.c_str(), top.file("Moved").c_str()), 0);
      now = top.file("Moved") + "/" + c.name;
    }
    bool replaced;
    if (c.failure == Failure::WriteFails) {
      rlimit old{};
      ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
      rlimit small = old;
      small.rlim_cur = 4;
      auto previous = std::signal(SIGXFSZ, SIG_IGN);
      ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
      replaced = held->replace("new=2\r\n");
      ::setrlimit(RLIMIT_FSIZE, &old);
      std::signal(SIGXFSZ, previous);
    } else {
      replaced = held->replace("new=2\r\n");
    }
    EXPECT_FALSE(replaced) << c.what;
    EXPECT_EQ(read(now), "old=1\r\n") << c.what;
    EXPECT_EQ(namesIn(now.substr(0, now.rfind('/'))).size(), 1u)
        << c.what << ": no temporary file is left behind";
  }
}

TEST(PosixFiles, AppendCreatesThenAdds) {
  TempFolder dir;
  PosixFiles files;
  const std::string path = dir.file("log.txt");
  EXPECT_TRUE(files.append(t(path), "one\r\n"));
  EXPECT_TRUE(files.append(t(path), "two\r\n"));
  EXPECT_EQ(read(path), "one\r\ntwo\r\n");
  EXPECT_FALSE(files.append(t(dir.path()), "x"));
  EXPECT_FALSE(files.append(t(dir.file("no/such/folder")), "x"));
}

}  // namespace
}  // namespace halvit::gtk
