// The long run's file facilities on Windows: folder listings, renames and
// removals, a file's tail read and cut, free space, and instance slots.
#include "platform/folder_files.h"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_tail.h"
#include "platform/free_space.h"
#include "platform/instance_slot.h"
#include "platform/posix_io.h"
#include "testkit/temp_folder.h"
#include "tests/support/scoped_env.h"

namespace {

TEST(FolderFilesTest, ListRenameAndRemove) {
  TempFolder folder;
  folder.Write("2015-03-07_site.log", "12345");
  folder.Write("M\xC3\xA9sures.log", "");
  std::filesystem::create_directory(FsPath(folder.Path("sub")));
  const auto entries = ListFolder(folder.path());
  ASSERT_TRUE(entries.has_value());
  std::vector<std::string> files;
  for (const FolderEntry& entry : *entries) {
    if (entry.isRegularFile) files.push_back(entry.name + ":" + std::to_string(entry.sizeBytes));
  }
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"2015-03-07_site.log:5", "M\xC3\xA9sures.log:0"}));
  EXPECT_EQ(entries->size(), 3u);
  EXPECT_FALSE(ListFolder(folder.Path("missing")).has_value());

  folder.Write("old.log", "old");
  ASSERT_TRUE(RenameInFolder(folder.Path("2015-03-07_site.log"), folder.Path("old.log")));
  EXPECT_EQ(ReadFileBytes(folder.Path("old.log")), "12345");
  EXPECT_TRUE(RemoveFile(folder.Path("old.log")));
  EXPECT_FALSE(RemoveFile(folder.Path("old.log")));
  EXPECT_FALSE(RemoveFile(folder.Path("sub")));  // never a folder
}

TEST(FolderFilesTest, FolderAndNameByWindowsRules) {
  const struct {
    const char* path;
    const char* folder;
    const char* name;
  } kCases[] = {
      {"C:\\logs\\site.log", "C:\\logs", "site.log"},
      {"C:/logs/site.log", "C:/logs", "site.log"},
      {"C:\\site.log", "C:\\", "site.log"},
      {"C:site.log", "C:", "site.log"},
      {"site.log", ".", "site.log"},
      {"\\site.log", "\\", "site.log"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
    EXPECT_EQ(NameOf(c.path), c.name) << c.path;
  }
}

TEST(FolderFilesTest, TailReadAndCutLeaveThePosition) {
  TempFolder folder;
  const int fd = OpenFile(folder.Path("site.log").c_str(), O_RDWR | O_CREAT);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(WriteAll(fd, "line 1\r\nline 2\r\nhalf a li"), 25u);
  EXPECT_EQ(FileSizeOf(fd), 25u);
  char tail[16] = {};
  bool failed = false;
  EXPECT_EQ(ReadAt(fd, tail, sizeof tail, 16, failed), 9u);
  EXPECT_FALSE(failed);
  EXPECT_EQ(std::string(tail, 9), "half a li");
  EXPECT_TRUE(CutFileTo(fd, 16));
  EXPECT_EQ(FileSizeOf(fd), 16u);
  CloseFile(fd);
  EXPECT_EQ(ReadFileBytes(folder.Path("site.log")), "line 1\r\nline 2\r\n");
  const std::optional<uint64_t> free = FreeBytesAt(folder.path());
  ASSERT_TRUE(free.has_value());
  EXPECT_GT(*free, 0u);
  EXPECT_FALSE(FreeBytesAt(folder.Path("missing\\x")).has_value());
}

TEST(InstanceSlotTest, TakesTheLowestFreeSlotUntilItsHolderGoes) {
  TempFolder state;
  ScopedEnv localAppData("LOCALAPPDATA", state.path().c_str());
  auto first = std::make_unique<InstanceSlot>(3);
  const InstanceSlot second(3);
  EXPECT_EQ(first->Number(), 0);
  EXPECT_EQ(second.Number(), 1);
  EXPECT_TRUE(std::filesystem::exists(FsPath(state.Path("plenx-logger\\window-1.lock"))));
  first.reset();
  EXPECT_EQ(InstanceSlot(3).Number(), 0);
  const InstanceSlot third(2);
  const InstanceSlot none(2);
  EXPECT_EQ(none.Number(), 0);  // all held: the first place is shared
}

}  // namespace
