// Closed day files on their way into archives, and what a cut leaves of
// that way finished at the next Start: the archive holds the day file as
// Stop's holds the log; abandoned temporary archives go, a live writer's
// stay; other logs' files are never touched.
#include "upkeep/day_files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "testkit/run_command.h"
#include "testkit/temp_folder.h"

namespace {

const LocalDate kDay{2015, 3, 7};
const std::string kDayLines = "2015/03/07-10:00:00.000   -   1,2,\r\n2015/03/07-23:59:59.999   -   3,4,\r\n";

std::vector<std::string> Names(const TempFolder& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The one entry of an archive as unzip extracts it, after unzip -t.
std::string EntryOf(const std::string& archive, const std::string& entry) {
  if (RunCommand("unzip -tq '" + archive + "' >/dev/null 2>&1").exitCode != 0) return "<unzip -t failed>";
  return RunCommand("unzip -p '" + archive + "' '" + entry + "'").output;
}

// The switch at midnight and the archive after it, as the log writer does
// them: the day file is archived as Stop archives the log, under the day's
// name, and then leaves nothing but the archive and the fresh log.
TEST(DayFiles, SetAsideThenArchived) {
  TempFolder folder;
  const std::string log = folder.Write("site.log", kDayLines);
  ASSERT_TRUE(SetDayFileAside(log, DayTag{kDay, 0}));
  folder.Write("site.log", "");  // the fresh log
  EXPECT_EQ(Names(folder), (std::vector<std::string>{".site.log.2015-03-07.day", "site.log"}));

  const LogArchiveResult result = ArchiveDayFile(log, DayTag{kDay, 0});
  EXPECT_TRUE(result.written) << result.failureReason;
  EXPECT_EQ(Names(folder), (std::vector<std::string>{"2015-03-07_site.zip", "site.log"}));
  EXPECT_EQ(EntryOf(folder.Path("2015-03-07_site.zip"), "site.log"), kDayLines);
}

TEST(DayFiles, NextPieceFollowsTheHighestOfTheDay) {
  TempFolder folder;
  const std::string log = folder.Path("site.log");
  EXPECT_EQ(NextPieceTag(log, kDay), (DayTag{kDay, 1}));
  for (const char* name : {"2015-03-07_site.zip", "2015-03-07.2_site.zip", ".site.log.2015-03-07.3.day",
                           "2015-03-08.9_site.zip", "2015-03-07.7_other.zip"}) {
    folder.Write(name, "x");
  }
  EXPECT_EQ(NextPieceTag(log, kDay), (DayTag{kDay, 4}));
}

TEST(DayFiles, RecoveryFinishesWhatACutLeft) {
  TempFolder folder;
  const std::string log = folder.Write("site.log", "today\r\n");
  // Cut during the archive of the 7th: its pending file and temporary archive.
  folder.Write(".site.log.2015-03-07.day", kDayLines);
  folder.Write(".2015-03-07_site.zip.0123abcd.tmp", "PK half an archive");
  // Cut after the archive of the 6th was in place, before the pending file went.
  folder.Write(".site.log.2015-03-06.day", "sixth\r\n");
  folder.Write("2015-03-06_site.zip", "an older copy");
  // A live writer's temporary archive of this log, and other logs' files.
  const std::string live = folder.Write(".2015-03-05_site.zip.89abcdef.tmp", "being written");
  const int liveWriter = open(live.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(liveWriter, 0);
  ASSERT_EQ(flock(liveWriter, LOCK_EX | LOCK_NB), 0);
  const std::vector<std::string> others = {".other.log.2015-03-07.day", ".2015-03-07_other.zip.0123abcd.tmp"};
  for (const std::string& name : others) folder.Write(name, "not this log's");

  const DayFileRecovery recovery = RecoverDayFiles(log);
  close(liveWriter);
  EXPECT_TRUE(recovery.failureMessages.empty());
  EXPECT_EQ(recovery.archivesWritten, (std::vector<std::string>{folder.Path("2015-03-06_site.zip"),
                                                                folder.Path("2015-03-07_site.zip")}));
  EXPECT_EQ(Names(folder),
            (std::vector<std::string>{".2015-03-05_site.zip.89abcdef.tmp",
                                      ".2015-03-07_other.zip.0123abcd.tmp", ".other.log.2015-03-07.day",
                                      "2015-03-06_site.zip", "2015-03-07_site.zip", "site.log"}));
  EXPECT_EQ(EntryOf(folder.Path("2015-03-07_site.zip"), "site.log"), kDayLines);
  EXPECT_EQ(EntryOf(folder.Path("2015-03-06_site.zip"), "site.log"), "sixth\r\n");
  EXPECT_EQ(ReadFileBytes(log), "today\r\n");
}

// A pending file whose archive cannot be written stays for the next start,
// and the message says where it waits.
TEST(DayFiles, RecoveryThatCannotArchiveKeepsThePendingFile) {
  TempFolder folder;
  const std::string log = folder.Write("site.log", "");
  folder.Write(".site.log.2015-03-07.day", kDayLines);
  // A folder in the archive's place: the rename over it fails.
  std::filesystem::create_directory(folder.Path("2015-03-07_site.zip"));
  const DayFileRecovery recovery = RecoverDayFiles(log);
  EXPECT_TRUE(recovery.archivesWritten.empty());
  ASSERT_EQ(recovery.failureMessages.size(), 1u);
  EXPECT_EQ(recovery.failureMessages[0], "Cannot write archive " + folder.Path("2015-03-07_site.zip") +
                                             ": is a directory. The log it holds waits in " +
                                             folder.Path(".site.log.2015-03-07.day") +
                                             " for the next start.");
  EXPECT_EQ(ReadFileBytes(folder.Path(".site.log.2015-03-07.day")), kDayLines);
}

}  // namespace
