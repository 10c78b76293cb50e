// What a path names on Windows: the status of an open file (its own
// attributes and times, its identity), regular files, the directory
// search with Windows' wildcards, and full paths.
#include "platform/file_status.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "platform/file_search.h"
#include "platform/full_path.h"
#include "platform/posix_io.h"
#include "platform/regular_file.h"
#include "testkit/temp_folder.h"

namespace {

// 2015-03-07 14:05:09 UTC as a file time.
constexpr uint64_t kModified = 130702107090000000ull;

FILETIME AsFileTime(uint64_t ticks) {
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

TEST(FileStatusTest, AttributesTimesAndIdentityAreTheFilesOwn) {
  TempFolder folder;
  const std::string path = folder.Write("site.log", "12345");
  const std::wstring widePath = FsPath(path).wstring();
  const HANDLE handle = CreateFileW(widePath.c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  const FILETIME modified = AsFileTime(kModified);
  ASSERT_TRUE(SetFileTime(handle, nullptr, nullptr, &modified));
  CloseHandle(handle);
  ASSERT_TRUE(SetFileAttributesW(widePath.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));

  const int fd = OpenForReading(path);
  ASSERT_GE(fd, 0);
  FileStatus status;
  ASSERT_TRUE(ReadFileStatus(fd, path, status));
  EXPECT_TRUE(status.isRegularFile);
  EXPECT_FALSE(status.ownerExecutable);
  EXPECT_EQ(status.attributes & (kFileAttributeReadOnly | kFileAttributeArchive | kFileAttributeDirectory),
            kFileAttributeReadOnly | kFileAttributeArchive);
  EXPECT_EQ(status.lastWriteTime, kModified);
  EXPECT_EQ(status.sizeBytes, 5u);

  // Two opens of one file are the same file; another file is not.
  const int second = OpenForReading(path);
  const int other = OpenForReading(folder.Write("other.log", "x"));
  FileStatus secondStatus;
  FileStatus otherStatus;
  ASSERT_TRUE(ReadFileStatus(second, path, secondStatus));
  ASSERT_TRUE(ReadFileStatus(other, "other.log", otherStatus));
  EXPECT_EQ(secondStatus.deviceId, status.deviceId);
  EXPECT_EQ(secondStatus.inode, status.inode);
  EXPECT_NE(otherStatus.inode, status.inode);
  CloseFile(fd);
  CloseFile(second);
  CloseFile(other);
  SetFileAttributesW(widePath.c_str(), FILE_ATTRIBUTE_NORMAL);

  const int directory = OpenForReading(folder.path());
  ASSERT_GE(directory, 0);
  ASSERT_TRUE(ReadFileStatus(directory, folder.path(), status));
  EXPECT_FALSE(status.isRegularFile);
  EXPECT_NE(status.attributes & kFileAttributeDirectory, 0u);
  CloseFile(directory);
}

TEST(FileStatusTest, OnlyFilesOnADiskAreRegular) {
  TempFolder folder;
  EXPECT_TRUE(IsRegularFile(folder.Write("site.log", "x")));
  EXPECT_FALSE(IsRegularFile(folder.path()));
  EXPECT_FALSE(IsRegularFile(folder.Path("missing.log")));
  EXPECT_FALSE(IsRegularFile("NUL"));
  const int device = OpenForReading("NUL");
  ASSERT_GE(device, 0);
  FileStatus status;
  EXPECT_TRUE(ReadFileStatus(device, "NUL", status));
  EXPECT_FALSE(status.isRegularFile);
  CloseFile(device);
}

TEST(FileSearchTest, WindowsWildcardsAndWhatCounts) {
  TempFolder folder;
  folder.Write("a.log", "x");
  std::filesystem::create_directory(FsPath(folder.Path("sub")));
  struct Case {
    std::string name;
    bool found;
  };
  const Case cases[] = {
      {folder.Path("a.log"), true},       {folder.Path("A.LOG"), true},  // letter case does not count here
      {folder.Path("sub"), true},         {folder.Path("s?b"), true},
      {folder.Path("*.log"), true},       {folder.Path("*.txt"), false},
      {folder.Path("sub") + "\\", false}, {folder.Path("sub") + "/", false},
      {folder.Path("missing\\*"), false},
  };
  for (const Case& c : cases) EXPECT_EQ(DirectorySearchFindsEntry(c.name), c.found) << c.name;
}

TEST(FullPathTest, ResolvedAgainstTheCurrentFolderWithBackslashes) {
  const std::string current = FsString(std::filesystem::current_path());
  EXPECT_EQ(FullPath("run.log"), current + "\\run.log");
  EXPECT_EQ(FullPath(".\\logs\\..\\run.log"), current + "\\run.log");
  EXPECT_EQ(FullPath("C:/logs/./a/../site.log"), "C:\\logs\\site.log");
  EXPECT_EQ(FullPath(""), current);
}

}  // namespace
