// Append-only files on Windows: another writer is refused while readers are
// let in, bytes go after what the file holds, and the file stays where it is
// while the run writes it.
#include "platform/append_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/posix_io.h"
#include "testkit/temp_folder.h"

namespace {

TEST(AppendFileTest, OtherWritersAreRefusedReadersAreNot) {
  TempFolder folder;
  const std::string path = folder.Write("site.log", "earlier\r\n");
  bool created = true;
  const int fd = OpenLockedForAppend(path, &created);
  ASSERT_GE(fd, 0);
  EXPECT_FALSE(created);
  EXPECT_TRUE(AppendWhole(fd, "line\r\n"));

  EXPECT_EQ(OpenLockedForAppend(path), -1);
  EXPECT_EQ(errno, EWOULDBLOCK);
  EXPECT_EQ(OpenFile(path.c_str(), O_WRONLY), -1);
  EXPECT_EQ(errno, EWOULDBLOCK);
  EXPECT_EQ(ReadFileBytes(path), "earlier\r\nline\r\n");

  CloseFile(fd);
  const int again = OpenLockedForAppend(path);
  EXPECT_GE(again, 0);
  CloseFile(again);
}

TEST(AppendFileTest, AnUnusedFileTheOpenMadeIsRemovedAtClose) {
  TempFolder folder;
  const std::string made = folder.Path("made.log");
  bool created = false;
  int fd = OpenLockedForAppend(made, &created);
  ASSERT_GE(fd, 0);
  EXPECT_TRUE(created);
  CloseRemovingIfUnused(fd, made, created);
  EXPECT_FALSE(std::filesystem::exists(FsPath(made)));

  const std::string written = folder.Path("written.log");
  fd = OpenLockedForAppend(written, &created);
  ASSERT_GE(fd, 0);
  AppendWhole(fd, "x");
  CloseRemovingIfUnused(fd, written, created);
  EXPECT_EQ(ReadFileBytes(written), "x");

  EXPECT_EQ(OpenLockedForAppend(folder.Path("missing\\site.log")), -1);
  EXPECT_EQ(AppendOpenFailureReason(errno), "no such folder");
  EXPECT_EQ(OpenLockedForAppend(folder.path()), -1);
  EXPECT_EQ(AppendOpenFailureReason(errno), "it is a folder");
}

// Windows refuses to rename or remove the file while the run writes it, as
// it does any file in use; PathStillNames still tells its name from others.
TEST(AppendFileTest, RenameAndRemovalAreRefusedWhileOpen) {
  TempFolder folder;
  const std::string path = folder.Path("site.log");
  const int fd = OpenLockedForAppend(path);
  ASSERT_GE(fd, 0);
  EXPECT_FALSE(MoveFileW(FsPath(path).c_str(), FsPath(folder.Path("copied.log")).c_str()));
  EXPECT_FALSE(DeleteFileW(FsPath(path).c_str()));
  EXPECT_TRUE(PathStillNames(fd, path));
  EXPECT_FALSE(PathStillNames(fd, folder.Write("other.log", "x")));
  EXPECT_FALSE(PathStillNames(fd, folder.Path("missing.log")));
  CloseFile(fd);
}

TEST(AppendFileTest, FullDiskKeepsNoPartOfTheWrite) {
  const int full = OpenLockedForAppend("Z:\\dev\\full");
  if (full < 0) GTEST_SKIP() << "no Z:\\dev\\full (only under Wine)";
  errno = 0;
  EXPECT_FALSE(AppendWhole(full, "line\r\n"));
  EXPECT_EQ(errno, ENOSPC);
  CloseFile(full);
}

}  // namespace
