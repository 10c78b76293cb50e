// Whole-or-nothing files on Windows: the final name changes only at Commit;
// a discard, a failure and a final name held by another program leave the
// old file; another writer's live temporary file is left alone and an
// abandoned one removed; a device is written in place.
#include "platform/replacing_file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix_io.h"
#include "testkit/temp_folder.h"

namespace {

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(FsPath(folder))) {
    names.push_back(FsString(entry.path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool Write(const ReplacingFile& file, const std::string& bytes) {
  return WriteAll(file.Descriptor(), bytes) == bytes.size();
}

TEST(ReplacingFileTest, FinalNameChangesOnlyAtCommit) {
  TempFolder folder;
  const std::string final = folder.Write("2015-03-07_site.zip", "old");
  ReplacingFile file;
  ASSERT_TRUE(file.Create(final));
  ASSERT_TRUE(Write(file, "new content"));
  EXPECT_EQ(ReadFileBytes(final), "old");
  const std::string temporary = FsString(FsPath(file.TemporaryPath()).filename());
  EXPECT_TRUE(temporary.starts_with(".2015-03-07_site.zip.") && temporary.ends_with(".tmp")) << temporary;
  EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{temporary, "2015-03-07_site.zip"}));

  ASSERT_TRUE(file.Commit());
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(ReadFileBytes(final), "new content");
  EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"2015-03-07_site.zip"});
}

TEST(ReplacingFileTest, DiscardOrARefusedCommitKeepsTheOldFile) {
  TempFolder folder;
  const std::string final = folder.Write("site.zip", "old");
  {
    ReplacingFile discarded;
    ASSERT_TRUE(discarded.Create(final));
    Write(discarded, "new");
  }  // discarded by the destructor
  EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"site.zip"});

  // Another program holds the final name open and lets nobody remove it.
  const HANDLE holder = CreateFileW(FsPath(final).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  ReplacingFile refused;
  ASSERT_TRUE(refused.Create(final));
  Write(refused, "new");
  errno = 0;
  EXPECT_FALSE(refused.Commit());
  EXPECT_NE(errno, 0);
  CloseHandle(holder);
  EXPECT_EQ(ReadFileBytes(final), "old");
  EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"site.zip"});
}

TEST(ReplacingFileTest, AbandonedTemporaryFilesGoLiveOnesStay) {
  TempFolder folder;
  const std::string final = folder.Path("site.zip");
  ReplacingFile live;
  ASSERT_TRUE(live.Create(final));
  const std::string liveName = FsString(FsPath(live.TemporaryPath()).filename());
  folder.Write(".site.zip.0badc0de.tmp", "left by a killed writer");
  folder.Write(".site.zip.notmine.tmp", "not a temporary name of ours");

  ReplacingFile next;
  ASSERT_TRUE(next.Create(final));
  const std::string nextName = FsString(FsPath(next.TemporaryPath()).filename());
  std::vector<std::string> expected = {liveName, nextName, ".site.zip.notmine.tmp"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Names(folder.path()), expected);
}

TEST(ReplacingFileTest, FoldersMissingFoldersAndDevices) {
  TempFolder folder;
  ReplacingFile file;
  EXPECT_FALSE(file.Create(folder.path()));
  EXPECT_EQ(errno, EISDIR);
  EXPECT_FALSE(file.Create(folder.Path("missing\\site.zip")));
  EXPECT_EQ(errno, ENOENT);
  // A device has nothing to replace: it is written in place.
  ASSERT_TRUE(file.Create("NUL"));
  EXPECT_EQ(file.TemporaryPath(), "");
  EXPECT_TRUE(Write(file, "bytes"));
  EXPECT_TRUE(file.Commit());
}

}  // namespace
