// Descriptor I/O on Windows: the opens' flags, bytes that are never
// translated, positioned writes, removal, file names beyond any ANSI code
// page, and a full disk.
#include "platform/posix_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>

#include <cerrno>
#include <string>

#include "platform/file_search.h"
#include "platform/folder_files.h"
#include "testkit/temp_folder.h"

namespace {

std::string ReadWhole(int fd) { return ReadToEnd(fd, 1 << 20).value_or("<read failed>"); }

TEST(PosixIoTest, OpenFlagsCreateEmptyAndAppend) {
  TempFolder folder;
  const std::string path = folder.Path("run.log");
  int fd = OpenFile(path.c_str(), O_WRONLY | O_CREAT | O_EXCL);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(WriteAll(fd, "first"), 5u);
  EXPECT_TRUE(CloseFile(fd));
  EXPECT_EQ(OpenFile(path.c_str(), O_WRONLY | O_CREAT | O_EXCL), -1);
  EXPECT_EQ(errno, EEXIST);

  // Appending goes after what the file holds, wherever the position is.
  fd = OpenFile(path.c_str(), O_RDWR | O_APPEND);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(WriteAll(fd, " second"), 7u);
  EXPECT_EQ(_lseeki64(fd, 0, SEEK_SET), 0);
  EXPECT_EQ(WriteAll(fd, " third"), 6u);
  EXPECT_EQ(_lseeki64(fd, 0, SEEK_SET), 0);
  EXPECT_EQ(ReadWhole(fd), "first second third");
  CloseFile(fd);

  fd = CreateForWriting(path);
  ASSERT_GE(fd, 0);
  CloseFile(fd);
  EXPECT_EQ(ReadFileBytes(path), "");

  EXPECT_EQ(OpenForReading(folder.Path("missing/run.log")), -1);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_TRUE(RemoveFile(path));
  EXPECT_FALSE(RemoveFile(path));
  EXPECT_EQ(errno, ENOENT);
}

TEST(PosixIoTest, BytesAreNeverTranslated) {
  TempFolder folder;
  std::string bytes;
  for (int value = 0; value < 256; ++value) bytes.push_back(static_cast<char>(value));
  bytes += "\r\n\n\x1A\r";
  const int out = CreateForWriting(folder.Path("bytes.bin"));
  ASSERT_GE(out, 0);
  EXPECT_EQ(WriteAll(out, bytes), bytes.size());
  CloseFile(out);
  const int in = OpenForReading(folder.Path("bytes.bin"));
  ASSERT_GE(in, 0);
  EXPECT_EQ(ReadWhole(in), bytes);
  CloseFile(in);
}

TEST(PosixIoTest, PositionedWriteLeavesThePosition) {
  TempFolder folder;
  const int fd = OpenFile(folder.Path("archive.zip").c_str(), O_RDWR | O_CREAT | O_TRUNC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(WriteAll(fd, "0123456789"), 10u);
  EXPECT_EQ(WriteAllAt(fd, "ab", 2, 3), 2u);
  EXPECT_EQ(_lseeki64(fd, 0, SEEK_CUR), 10);
  EXPECT_EQ(WriteAll(fd, "X"), 1u);
  CloseFile(fd);
  EXPECT_EQ(ReadFileBytes(folder.Path("archive.zip")), "012ab56789X");
}

TEST(PosixIoTest, NamesBeyondTheAnsiCodePageSurvive) {
  TempFolder folder;
  const std::string name = "M\xC3\xA9sures \xCE\xA9 \xF0\x9F\x8C\xA1.log";
  const int fd = CreateForWriting(folder.Path(name));
  ASSERT_GE(fd, 0);
  WriteAll(fd, "x");
  CloseFile(fd);
  EXPECT_EQ(ReadFileBytes(folder.Path(name)), "x");
  EXPECT_TRUE(DirectorySearchFindsEntry(folder.Path(name)));
  EXPECT_TRUE(DirectorySearchFindsEntry(folder.Path("M*\xCE\xA9*.log")));
  EXPECT_TRUE(RemoveFile(folder.Path(name)));
}

TEST(PosixIoTest, FoldersOpenForReadingButDoNotRead) {
  TempFolder folder;
  const int fd = OpenForReading(folder.path());
  ASSERT_GE(fd, 0);
  char byte = 0;
  EXPECT_EQ(ReadSome(fd, &byte, 1), -1);
  CloseFile(fd);
}

// Wine maps Z: to the root of the machine it runs on, whose /dev/full
// refuses every write as a full disk does.
TEST(PosixIoTest, FullDiskIsReportedAsSuch) {
  const int full = OpenFile("Z:\\dev\\full", O_WRONLY);
  if (full < 0) GTEST_SKIP() << "no Z:\\dev\\full (only under Wine)";
  errno = 0;
  EXPECT_EQ(WriteAll(full, "data"), 0u);
  EXPECT_EQ(errno, ENOSPC);
  CloseFile(full);
}

}  // namespace
