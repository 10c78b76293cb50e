// The free-space guard on a disk the test measures: the oldest archives of
// this log go until there is room, then the raw capture stops; one warning
// for each shortage; the log and other files are never touched.
#include "upkeep/disk_guard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "testkit/temp_folder.h"
#include "tests/support/faults.h"

namespace {

constexpr uint64_t kMB = 1024 * 1024;

// A disk of capacityBytes whose only contents are the files of the folder.
DiskGuard::FreeSpaceProbe DiskOf(uint64_t capacityBytes) {
  return [capacityBytes](const std::string& folder) -> std::optional<uint64_t> {
    uint64_t used = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) used += entry.file_size();
    return used >= capacityBytes ? 0 : capacityBytes - used;
  };
}

std::vector<std::string> NamesOf(const std::vector<std::string>& paths) {
  std::vector<std::string> names;
  for (const std::string& path : paths) names.push_back(std::filesystem::path(path).filename());
  return names;
}

// A folder with the log (4 MB), three archives of it (1 MB each), another
// log's archive (1 MB) and a raw capture (1 MB): 9 MB used.
struct Site {
  Site() {
    log = folder.Write("site.log", std::string(4 * kMB, 'l'));
    raw = folder.Write("site.log.raw", std::string(kMB, 'r'));
    for (const char* name :
         {"2015-03-05_site.zip", "2015-03-03_site.zip", "2015-03-04_site.zip", "2015-03-01_other.zip"}) {
      folder.Write(name, std::string(kMB, 'z'));
    }
  }
  TempFolder folder;
  std::string log;
  std::string raw;
};

TEST(DiskGuard, OldestArchivesFirstThenTheRawCapture) {
  struct Case {
    const char* name;
    uint64_t capacityMB;
    uint64_t minFreeMB;
    std::vector<std::string> removed;
    bool stopRawCapture;
    std::string warningTail;  // after "...disk of <log>: "
  };
  const Case cases[] = {
      {"Room", 20, 11, {}, false, ""},
      {"Off", 9, 0, {}, false, ""},
      {"OneArchive",
       20,
       12,
       {"2015-03-03_site.zip"},
       false,
       "removed 1 archive of site.log, the oldest first (2015-03-03_site.zip). Logging goes on."},
      {"TwoArchives",
       20,
       13,
       {"2015-03-03_site.zip", "2015-03-04_site.zip"},
       false,
       "removed 2 archives of site.log, the oldest first (2015-03-03_site.zip to 2015-03-04_site.zip). "
       "Logging goes on."},
      {"AllAndTheRawCapture",
       10,
       8,
       {"2015-03-03_site.zip", "2015-03-04_site.zip", "2015-03-05_site.zip"},
       true,
       "removed 3 archives of site.log, the oldest first (2015-03-03_site.zip to 2015-03-05_site.zip), "
       "and stopped the raw capture RAW. Logging goes on while there is room."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Site site;
    DiskGuard guard(c.minFreeMB, DiskOf(c.capacityMB * kMB));
    const DiskGuard::Outcome outcome = guard.Check(site.log, site.raw);
    EXPECT_EQ(NamesOf(outcome.removedArchives), c.removed);
    EXPECT_EQ(outcome.stopRawCapture, c.stopRawCapture);
    std::string tail = c.warningTail;
    if (const size_t at = tail.find("RAW"); at != std::string::npos) tail.replace(at, 3, site.raw);
    EXPECT_EQ(outcome.warning, tail.empty() ? ""
                                            : "Less than " + std::to_string(c.minFreeMB) +
                                                  " MB is free on the disk of " + site.log + ": " + tail);
    EXPECT_TRUE(std::filesystem::exists(site.log));
    EXPECT_TRUE(std::filesystem::exists(site.folder.Path("2015-03-01_other.zip")));
  }
}

// One warning while the shortage lasts, however often the guard looks and
// acts; another once there was room again and the disk fills anew.
TEST(DiskGuard, OneWarningForEachShortage) {
  Site site;
  uint64_t capacity = 20 * kMB;
  DiskGuard guard(12, [&](const std::string& folder) { return DiskOf(capacity)(folder); });
  const auto first = guard.Check(site.log, site.raw);
  EXPECT_EQ(NamesOf(first.removedArchives), (std::vector<std::string>{"2015-03-03_site.zip"}));
  EXPECT_NE(first.warning, "");
  // Still short after the removal: more goes, nothing more is said.
  capacity = 19 * kMB;
  const auto second = guard.Check(site.log, site.raw);
  EXPECT_EQ(NamesOf(second.removedArchives), (std::vector<std::string>{"2015-03-04_site.zip"}));
  EXPECT_EQ(second.warning, "");
  // Room again, then short again: said again. No archives are left; the raw
  // capture, said stopped once, is not stopped again.
  EXPECT_EQ(guard.Check(site.log, site.raw).warning, "");
  capacity = 16 * kMB;
  const auto third = guard.Check(site.log, site.raw);
  EXPECT_EQ(NamesOf(third.removedArchives), (std::vector<std::string>{"2015-03-05_site.zip"}));
  EXPECT_TRUE(third.stopRawCapture);
  EXPECT_NE(third.warning, "");
  capacity = 10 * kMB;
  EXPECT_EQ(guard.Check(site.log, "").warning, "");
  EXPECT_EQ(guard.Summary(site.log),
            "The disk guard removed 3 archives of site.log and stopped the raw capture to keep 12 MB free.");
}

TEST(DiskGuard, NothingLeftToRemoveIsSaidToo) {
  TempFolder folder;
  const std::string log = folder.Write("site.log", std::string(2 * kMB, 'l'));
  DiskGuard guard(5, DiskOf(6 * kMB));
  const auto outcome = guard.Check(log, "");
  EXPECT_EQ(outcome.warning,
            "Less than 5 MB is free on the disk of " + log +
                ": no archives of site.log are left to remove. Logging goes on while there is room.");
  EXPECT_EQ(guard.Summary(log), "");
}

// The system's own measure, on a small disk of the test's own.
TEST(DiskGuard, OnARealSmallDisk) {
  TempFolder folder;
  const SmallVolume volume(folder.path(), 8 * kMB);
  if (!volume.Mounted()) GTEST_SKIP() << kNoMountReason;
  const std::string log = folder.Write("site.log", std::string(3 * kMB, 'l'));
  for (const char* name : {"2015-03-03_site.zip", "2015-03-04_site.zip", "2015-03-05_site.zip"}) {
    folder.Write(name, std::string(kMB, 'z'));
  }
  DiskGuard guard(3);  // 2 MB are free
  const DiskGuard::Outcome outcome = guard.Check(log, "");
  EXPECT_EQ(NamesOf(outcome.removedArchives), (std::vector<std::string>{"2015-03-03_site.zip"}));
  EXPECT_NE(outcome.warning, "");
}

}  // namespace
