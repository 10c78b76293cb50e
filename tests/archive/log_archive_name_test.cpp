// The archive name of a log: drive and folder kept, the date of Stop before
// the base name, ".zip" for the extension, and the path length limit.
#include "archive/log_archive_name.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

TEST(LogArchiveNameTest, DateAndBaseNameInTheLogsFolder) {
  struct Case {
    const char* log;
    const char* archive;
    const char* entry;
  };
  const Case cases[] = {
      {"C:\\logs\\site.log", "C:\\logs\\2015-03-07_site.zip", "site.log"},
      {"log.txt", "2015-03-07_log.zip", "log.txt"},
      {"/var/log/plenx/run", "/var/log/plenx/2015-03-07_run.zip", "run"},
      {"/var/log.d/run", "/var/log.d/2015-03-07_run.zip", "run"},  // a dot in a folder is no extension
      {"/data/site.tar.log", "/data/2015-03-07_site.tar.zip", "site.tar.log"},
      {"D:site.log", "D:2015-03-07_site.zip", "site.log"},
  };
  const LocalTime stop{2015, 3, 7, 23, 59, 59, 999};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.log);
    const std::optional<LogArchiveName> name = LogArchiveNameFor(c.log, stop);
    ASSERT_TRUE(name);
    EXPECT_EQ(name->archivePath, c.archive);
    EXPECT_EQ(name->entryName, c.entry);
  }
  // 259 characters fit the 260-byte path buffer with its zero, 260 do not.
  const std::string folder = "/" + std::string(231, 'f') + "/";
  EXPECT_TRUE(LogArchiveNameFor(folder + std::string(11, 'b') + ".log", stop));
  EXPECT_FALSE(LogArchiveNameFor(folder + std::string(12, 'b') + ".log", stop));
}

}  // namespace
