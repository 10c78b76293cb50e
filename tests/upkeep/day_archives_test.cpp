// This log's archives, oldest first, and --keep-days removing only those
// of this log older than the days to keep.
#include "upkeep/day_archives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "testkit/temp_folder.h"

namespace {

std::vector<std::string> Names(const TempFolder& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(DayArchives, ThisLogsArchivesOldestFirst) {
  TempFolder folder;
  for (const char* name : {"2015-03-07_site.zip", "2015-03-06_site.zip", "2015-03-07.2_site.zip",
                           "2015-03-07.10_site.zip", "2015-03-01_other.zip", "site.log"}) {
    folder.Write(name, std::string(7, 'x'));
  }
  std::filesystem::create_directory(folder.Path("2015-03-02_site.zip"));  // not a file
  const auto archives = ListDayArchives(folder.Path("site.log"));
  ASSERT_TRUE(archives);
  std::vector<std::string> names;
  for (const DayArchive& archive : *archives) {
    names.push_back(std::filesystem::path(archive.path).filename().string());
    EXPECT_EQ(archive.sizeBytes, 7u);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"2015-03-06_site.zip", "2015-03-07.2_site.zip",
                                             "2015-03-07.10_site.zip", "2015-03-07_site.zip"}));
  EXPECT_FALSE(ListDayArchives(folder.Path("gone/site.log")));
}

TEST(DayArchives, KeepDaysKeepsTheLastDaysAndToday) {
  struct Case {
    const char* name;
    LocalDate today;
    int keepDays;
    std::vector<std::string> removed;
  };
  // Archives of 1 to 8 March, and pieces of the 1st.
  const Case cases[] = {
      {"KeepAll", {2015, 3, 9}, 0, {}},
      {"Seven", {2015, 3, 9}, 7, {"2015-03-01.1_site.zip", "2015-03-01_site.zip"}},
      {"One",
       {2015, 3, 9},
       1,
       {"2015-03-01.1_site.zip", "2015-03-01_site.zip", "2015-03-02_site.zip", "2015-03-03_site.zip",
        "2015-03-04_site.zip", "2015-03-05_site.zip", "2015-03-06_site.zip", "2015-03-07_site.zip"}},
      // Across a month's end: 30 days before 7 April is 8 March.
      {"AcrossMonths",
       {2015, 4, 7},
       30,
       {"2015-03-01.1_site.zip", "2015-03-01_site.zip", "2015-03-02_site.zip", "2015-03-03_site.zip",
        "2015-03-04_site.zip", "2015-03-05_site.zip", "2015-03-06_site.zip", "2015-03-07_site.zip"}},
      {"ClockSetBack", {2015, 2, 1}, 1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    std::vector<std::string> all = {"2015-03-01.1_site.zip"};
    for (int day = 1; day <= 8; ++day) all.push_back("2015-03-0" + std::to_string(day) + "_site.zip");
    for (const std::string& name : all) folder.Write(name, "x");
    folder.Write("2015-01-01_other.zip", "another log's");

    const RetentionResult result = ApplyKeepDays(folder.Path("site.log"), c.today, c.keepDays);
    std::vector<std::string> removed;
    for (const std::string& path : result.removed) removed.push_back(std::filesystem::path(path).filename());
    EXPECT_EQ(removed, c.removed);
    EXPECT_TRUE(result.failureMessages.empty());
    std::vector<std::string> left = {"2015-01-01_other.zip"};
    for (const std::string& name : all) {
      if (std::find(removed.begin(), removed.end(), name) == removed.end()) left.push_back(name);
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(Names(folder), left);
  }
}

}  // namespace
