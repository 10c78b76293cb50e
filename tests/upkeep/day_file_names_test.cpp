// Day file names: a day's archive is named exactly as Stop names the log's
// archive; pieces and pending files have names of their own; and reading
// names back finds this log's files only.
#include "upkeep/day_file_names.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

const LocalDate kDay{2015, 3, 7};

TEST(DayFileNames, ArchiveOfADayIsStopsArchiveOfThatDay) {
  for (const std::string log : {"/home/tech/site.log", "site.log", "/data/site", "C:\\logs\\log.txt"}) {
    SCOPED_TRACE(log);
    LocalTime stop;
    stop.year = 2015;
    stop.month = 3;
    stop.day = 7;
    stop.hour = 23;
    const std::optional<LogArchiveName> stops = LogArchiveNameFor(log, stop);
    const std::optional<LogArchiveName> days = DayArchiveName(log, DayTag{kDay, 0});
    ASSERT_TRUE(stops && days);
    EXPECT_EQ(days->archivePath, stops->archivePath);
    EXPECT_EQ(days->entryName, stops->entryName);
  }
}

TEST(DayFileNames, PiecesAndPendingFiles) {
  const std::string log = "/home/tech/site.log";
  const std::optional<LogArchiveName> piece = DayArchiveName(log, DayTag{kDay, 12});
  ASSERT_TRUE(piece);
  EXPECT_EQ(piece->archivePath, "/home/tech/2015-03-07.12_site.zip");
  EXPECT_EQ(piece->entryName, "site.log");
  EXPECT_EQ(PendingDayFilePath(log, DayTag{kDay, 0}), "/home/tech/.site.log.2015-03-07.day");
  EXPECT_EQ(PendingDayFilePath("site.log", DayTag{kDay, 3}), "./.site.log.2015-03-07.3.day");
  // A piece that would take the path past the limit Stop's names have.
  EXPECT_FALSE(DayArchiveName("/" + std::string(240, 'a') + ".log", DayTag{kDay, 123456}));
}

TEST(DayFileNames, OnlyThisLogsNamesParse) {
  struct Case {
    const char* entry;
    std::optional<DayTag> archive;
    std::optional<DayTag> pending;
  };
  const Case cases[] = {
      {"2015-03-07_site.zip", DayTag{kDay, 0}, std::nullopt},
      {"2015-03-07.2_site.zip", DayTag{kDay, 2}, std::nullopt},
      {".site.log.2015-03-07.day", std::nullopt, DayTag{kDay, 0}},
      {".site.log.2015-03-07.4.day", std::nullopt, DayTag{kDay, 4}},
      // Other logs of the folder: site2.log, site.old.log, and "_site".
      {"2015-03-07_site2.zip", std::nullopt, std::nullopt},
      {"2015-03-07_site.old.zip", std::nullopt, std::nullopt},
      {"2015-03-07__site.zip", std::nullopt, std::nullopt},
      {".site2.log.2015-03-07.day", std::nullopt, std::nullopt},
      // Not a day, not a piece, not this form.
      {"2015-13-07_site.zip", std::nullopt, std::nullopt},
      {"2015-3-7_site.zip", std::nullopt, std::nullopt},
      {"2015-03-07.0_site.zip", std::nullopt, std::nullopt},
      {"2015-03-07.02_site.zip", std::nullopt, std::nullopt},
      {"2015-03-07._site.zip", std::nullopt, std::nullopt},
      {"2015-03-07_site.ZIP", std::nullopt, std::nullopt},
      {"_site.zip", std::nullopt, std::nullopt},
      {"site.log", std::nullopt, std::nullopt},
      {".site.log.day", std::nullopt, std::nullopt},
      {".2015-03-07_site.zip.0123abcd.tmp", std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    EXPECT_EQ(ParseDayArchiveName(c.entry, "/home/tech/site.log"), c.archive);
    EXPECT_EQ(ParsePendingDayFileName(c.entry, "/home/tech/site.log"), c.pending);
  }
}

}  // namespace
