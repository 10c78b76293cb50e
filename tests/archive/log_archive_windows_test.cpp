// Stop's archive of the log on Windows: named beside the log from a Windows
// path, written whole with the log as its one entry, replacing the day's
// earlier archive; a missing log leaves the earlier one as it was.
#include "archive/log_archive.h"

#include <gtest/gtest.h>

#include <string>

#include "testkit/temp_folder.h"

namespace {

constexpr LocalTime kStop{2015, 3, 7, 18, 0, 0, 0};
// The local file header's fixed part; the entry name follows it.
constexpr size_t kLocalHeaderBytes = 30;

TEST(LogArchiveTest, WrittenBesideTheLogWithTheLogAsItsOneEntry) {
  TempFolder folder;
  const std::string log = folder.Write("site.log", "2015/03/07-14:05:09.042   -   1,2,\r\n");
  const std::optional<LogArchiveName> name = LogArchiveNameFor(log, kStop);
  ASSERT_TRUE(name.has_value());
  EXPECT_EQ(name->archivePath, folder.Path("2015-03-07_site.zip"));
  EXPECT_EQ(name->entryName, "site.log");
  folder.Write("2015-03-07_site.zip", "the day's earlier archive");

  const LogArchiveResult result = WriteLogArchive(*name, log);
  EXPECT_TRUE(result.written) << result.failureReason;
  const std::string archive = ReadFileBytes(name->archivePath);
  ASSERT_GT(archive.size(), kLocalHeaderBytes + 8);
  EXPECT_EQ(archive.substr(0, 4), "PK\x03\x04");
  EXPECT_EQ(archive.substr(kLocalHeaderBytes, 8), "site.log");

  const LogArchiveResult missing = WriteLogArchive(*name, folder.Path("missing.log"));
  EXPECT_FALSE(missing.written);
  EXPECT_FALSE(missing.failureReason.empty());
  EXPECT_EQ(ReadFileBytes(name->archivePath), archive);
}

}  // namespace
