// The values a ZIP entry derives from its name and its source's status: the
// stored-or-deflated choice, the Unix and DOS times, the external attributes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "archive/zip_attributes.h"
#include "archive/zip_format.h"
#include "archive/zip_method.h"
#include "archive/zip_times.h"
#include "platform/file_status.h"
#include "zip_test_support.h"

namespace {

using namespace plenx::zip;

uint64_t FileTimeOfUnixSeconds(int64_t seconds) {
  return static_cast<uint64_t>(seconds * static_cast<int64_t>(kFileTimeTicksPerSecond) +
                               static_cast<int64_t>(kFileTimeAtUnixEpoch));
}

TEST(ZipMethod, AlreadyCompressedSuffixesAreStoredAnyCase) {
  struct Case {
    const char* name;
    uint16_t method;
  };
  const Case cases[] = {
      {"data.ZIP", kMethodStored},
      {"backup.tar.gz", kMethodStored},
      {".gz", kMethodStored},
      {"a.Z", kMethodStored},
      {"a.z", kMethodStored},
      {"x.zoo", kMethodStored},
      {"x.ARC", kMethodStored},
      {"x.lzh", kMethodStored},
      {"x.arj", kMethodStored},
      {"x.Tgz", kMethodStored},
      {"dir.zip/log.gz", kMethodStored},
      {"log", kMethodDeflated},
      {"log.txt", kMethodDeflated},
      {"archive.zipx", kMethodDeflated},
      {"gz", kMethodDeflated},
      {"x.gz.txt", kMethodDeflated},
      {"dir.zip/log", kMethodDeflated},
      {"name.", kMethodDeflated},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompressionMethodFor(c.name), c.method) << c.name;
  }
}

// Sets the process's time zone while alive; the previous one is restored.
class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    const char* previous = getenv("TZ");
    m_hadPrevious = previous != nullptr;
    if (m_hadPrevious) m_previous = previous;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~TimeZone() {
    if (m_hadPrevious) {
      setenv("TZ", m_previous.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  TimeZone(const TimeZone&) = delete;
  TimeZone& operator=(const TimeZone&) = delete;

 private:
  bool m_hadPrevious = false;
  std::string m_previous;
};

TEST(ZipTimes, UnixAndDosFieldsFromFileTime) {
  // Local time five hours ahead of UTC, so that a conversion to local time
  // shows in the DOS fields even on a machine kept at UTC.
  const TimeZone aheadOfUtc("UTC-5");
  struct Case {
    const char* name;
    uint64_t fileTime;
    uint32_t unixField;
    uint32_t dosDateTime;  // date << 16 | time
  };
  // Expected values worked out by hand from the field definitions and
  // checked with Python's calendar.timegm.
  const Case cases[] = {
      // 2015-03-07 13:45:31 UTC: the odd second is halved, rounded down.
      {"OddSecond", FileTimeOfUnixSeconds(1425735931), 0x54FB00FB, 0x46676DAF},
      {"FractionIgnored", FileTimeOfUnixSeconds(1425735931) + 9999999, 0x54FB00FB, 0x46676DAF},
      // Before 1970 the Unix field truncates toward zero, the calendar fields
      // floor: -0.5 s is Unix 0 and 1969-12-31 23:59:59.
      {"HalfSecondBefore1970", kFileTimeAtUnixEpoch - 5000000, 0, 0xEB9FBF7D},
      // The DOS year keeps 7 bits: 1970 is (1970 - 1980) mod 128 = 118.
      {"Epoch", kFileTimeAtUnixEpoch, 0, 0xEC210000},
      {"LastDosYear", FileTimeOfUnixSeconds(4354819198), 0x0391447E, 0xFF9FBF7D},
      {"DosYearWraps", FileTimeOfUnixSeconds(4354819200), 0x03914480, 0x00210000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UnixTimeField(c.fileTime), c.unixField) << c.name;
    EXPECT_EQ(DosDateTime(c.fileTime), c.dosDateTime) << c.name;
  }
}

TEST(ZipAttributes, ExternalAttributesFromStatus) {
  struct Case {
    const char* name;
    uint32_t attributes;
    bool isRegularFile;
    bool ownerExecutable;
    uint32_t external;
  };
  const Case cases[] = {
      {"WritableLog", kFileAttributeArchive, true, false, 0x81800020},
      {"ReadOnly", kFileAttributeArchive | kFileAttributeReadOnly, true, false, 0x81000021},
      {"Hidden", kFileAttributeArchive | kFileAttributeHidden, true, false, 0x81800022},
      {"System", kFileAttributeArchive | kFileAttributeSystem, true, false, 0x81800024},
      {"Executable", kFileAttributeArchive, true, true, 0x81C00020},
      {"Directory", kFileAttributeDirectory, false, true, 0x41800010},
      {"ReadOnlyDirectory", kFileAttributeDirectory | kFileAttributeReadOnly, false, false, 0x41000011},
  };
  for (const Case& c : cases) {
    FileStatus status;
    status.attributes = c.attributes;
    status.isRegularFile = c.isRegularFile;
    status.ownerExecutable = c.ownerExecutable;
    EXPECT_EQ(ExternalAttributes(status), c.external) << c.name;
  }
}

TEST(FileStatusRead, AttributesFollowModeAndName) {
  TempFolder folder;
  struct Case {
    const char* name;
    mode_t mode;
    uint32_t attributes;
    bool ownerExecutable;
  };
  const Case cases[] = {
      {"log.txt", 0644, kFileAttributeArchive, false},
      {"readonly.txt", 0444, kFileAttributeArchive | kFileAttributeReadOnly, false},
      {".hidden", 0600, kFileAttributeArchive | kFileAttributeHidden, false},
      {"tool", 0755, kFileAttributeArchive, true},
  };
  for (const Case& c : cases) {
    const std::string path = folder.Write(c.name, "x");
    ASSERT_EQ(chmod(path.c_str(), c.mode), 0);
    const int fd = open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    FileStatus status;
    EXPECT_TRUE(ReadFileStatus(fd, path, status)) << c.name;
    close(fd);
    EXPECT_EQ(status.attributes, c.attributes) << c.name;
    EXPECT_TRUE(status.isRegularFile) << c.name;
    EXPECT_EQ(status.ownerExecutable, c.ownerExecutable) << c.name;
    EXPECT_EQ(status.sizeBytes, 1u) << c.name;
  }
  const int directory = open(folder.Path("").c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(directory, 0);
  FileStatus status;
  EXPECT_TRUE(ReadFileStatus(directory, folder.Path(""), status));
  close(directory);
  EXPECT_FALSE(status.isRegularFile);
  EXPECT_EQ(status.attributes & kFileAttributeDirectory, kFileAttributeDirectory);
}

TEST(FileStatusRead, TimesAreFileTimesWithTheirFraction) {
  TempFolder folder;
  const time_t before = time(nullptr);
  const std::string path = folder.Write("log.txt", "x");
  // 2015-03-07 13:45:31.25 modified, 2016-01-01 00:00:00 accessed.
  const struct timespec times[2] = {{1451606400, 0}, {1425735931, 250000000}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  const int fd = open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  FileStatus status;
  ASSERT_TRUE(ReadFileStatus(fd, path, status));
  close(fd);
  EXPECT_EQ(status.lastWriteTime, FileTimeOfUnixSeconds(1425735931) + 2500000);
  EXPECT_EQ(status.lastAccessTime, FileTimeOfUnixSeconds(1451606400));
  // Birth time, or the status change time: either is when the test ran.
  EXPECT_GE(status.creationTime, FileTimeOfUnixSeconds(before - 1));
  EXPECT_LE(status.creationTime, FileTimeOfUnixSeconds(time(nullptr) + 1));
}

}  // namespace
