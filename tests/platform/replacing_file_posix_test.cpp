// Whole-or-nothing files: the final name keeps its old file until Commit,
// through a discard, a failure and a writer killed halfway; files that
// killed writers leave behind are cleaned up by the next writer, while a
// live writer's file is left alone.
#include "platform/replacing_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix_io.h"
#include "platform/system_error_text.h"
#include "testkit/temp_folder.h"
#include "testkit/wait.h"

namespace {

// The names in folder, sorted.
std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool Write(const ReplacingFile& file, const std::string& bytes) {
  return WriteAll(file.Descriptor(), bytes) == bytes.size();
}

TEST(ReplacingFile, FinalNameChangesOnlyAtCommit) {
  TempFolder folder;
  const std::string final = folder.Write("archive.zip", "old");
  ReplacingFile file;
  ASSERT_TRUE(file.Create(final));
  ASSERT_TRUE(Write(file, "new content"));
  EXPECT_EQ(ReadFileBytes(final), "old");
  const std::string temporary = std::filesystem::path(file.TemporaryPath()).filename().string();
  EXPECT_EQ(std::filesystem::path(file.TemporaryPath()).parent_path(), std::filesystem::path(folder.path()));
  EXPECT_TRUE(temporary.starts_with(".archive.zip.") && temporary.ends_with(".tmp")) << temporary;
  EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{temporary, "archive.zip"}));

  ASSERT_TRUE(file.Commit());
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(ReadFileBytes(final), "new content");
  EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"archive.zip"});
}

TEST(ReplacingFile, DiscardKeepsTheOldFileOrNone) {
  TempFolder folder;
  const std::string kept = folder.Write("kept.zip", "old");
  const std::string absent = folder.Path("absent.zip");
  {
    ReplacingFile explicitly;
    ASSERT_TRUE(explicitly.Create(kept));
    ASSERT_TRUE(Write(explicitly, "half"));
    explicitly.Discard();
    ReplacingFile byDestructor;
    ASSERT_TRUE(byDestructor.Create(absent));
    ASSERT_TRUE(Write(byDestructor, "half"));
  }
  EXPECT_EQ(ReadFileBytes(kept), "old");
  EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"kept.zip"});
}

TEST(ReplacingFile, CreateFailureLeavesNothing) {
  TempFolder folder;
  ReplacingFile file;
  EXPECT_FALSE(file.Create(folder.Path("no/such/folder.zip")));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

// A device has nothing to replace: it is written in place, never renamed
// over (which, as root, would put a regular file where /dev/null was).
TEST(ReplacingFile, DeviceIsWrittenInPlace) {
  ReplacingFile file;
  ASSERT_TRUE(file.Create("/dev/null"));
  EXPECT_TRUE(file.TemporaryPath().empty());
  ASSERT_TRUE(Write(file, "gone"));
  EXPECT_TRUE(file.Commit());
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

TEST(ReplacingFile, AbandonedFilesOfTheSameNameAreRemovedOthersKept) {
  TempFolder folder;
  const std::string final = folder.Path("a.zip");
  const std::vector<std::string> abandoned = {".a.zip.0123abcd.tmp", ".a.zip.ffffffff.tmp"};
  const std::vector<std::string> kept = {
      ".a.zip.11111111.tmp",  // held by a live writer below
      ".a.zip.123.tmp",       // not 8 hex digits
      ".b.zip.0123abcd.tmp",  // another final name
      "a.zip.0123abcd.tmp",   // not hidden
  };
  for (const std::string& name : abandoned) folder.Write(name, "torn");
  for (const std::string& name : kept) folder.Write(name, "other");
  const int live = OpenFile(folder.Path(kept[0]).c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(live, 0);
  ASSERT_EQ(flock(live, LOCK_EX | LOCK_NB), 0);

  ReplacingFile file;
  ASSERT_TRUE(file.Create(final));
  ASSERT_TRUE(file.Commit());
  CloseFile(live);
  std::vector<std::string> expected = kept;
  expected.push_back("a.zip");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Names(folder.path()), expected);
}

// A writer killed halfway cannot clean up: the old file stays whole, and
// the temporary file it left is removed by the next writer of that name.
TEST(ReplacingFile, KilledWriterLeavesTheOldFileWhole) {
  TempFolder folder;
  const std::string final = folder.Write("a.zip", "old");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ReplacingFile file;
    if (!file.Create(final)) _exit(1);
    const std::string chunk(4096, 'x');
    for (;;) WriteAll(file.Descriptor(), chunk);  // until killed
  }
  // Killed once it has written something, as in the middle of an archive.
  const bool writing = WaitUntil(
      [&] {
        for (const std::string& name : Names(folder.path())) {
          if (name != "a.zip" && std::filesystem::file_size(folder.Path(name)) > 0) return true;
        }
        return false;
      },
      20000);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  ASSERT_TRUE(writing);
  EXPECT_EQ(ReadFileBytes(final), "old");
  EXPECT_EQ(Names(folder.path()).size(), 2u);

  ReplacingFile next;
  ASSERT_TRUE(next.Create(final));
  ASSERT_TRUE(Write(next, "new"));
  ASSERT_TRUE(next.Commit());
  EXPECT_EQ(ReadFileBytes(final), "new");
  EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"a.zip"});
}

TEST(SystemErrorText, ReadsAfterAColon) {
  EXPECT_EQ(SystemErrorText(EACCES), "permission denied");
  EXPECT_EQ(SystemErrorText(EROFS), "read-only file system");
  EXPECT_EQ(SystemErrorText(ENOSPC), "no space left on device");
  EXPECT_EQ(SystemErrorText(EIO), "input/output error");
}

}  // namespace
