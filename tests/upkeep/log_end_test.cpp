// The log's end at Start: a torn last line is moved beside the log, said
// once with both names; a repair cut short is finished without setting the
// line aside twice; a failure leaves the log alone; and the day of the
// last whole line.
#include "upkeep/log_end.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "platform/append_file.h"
#include "testkit/temp_folder.h"

namespace {

const std::string kLine1 = "2015/03/06-23:59:59.900   -   1,2,3,\r\n";
const std::string kLine2 = "2015/03/07-00:00:00.400   -   4,5,6,\r\n";

// The log at path opened as a run opens it, for the repair.
class OpenLog {
 public:
  explicit OpenLog(const std::string& path) : m_fd(OpenLockedForAppend(path)) {}
  ~OpenLog() {
    if (m_fd >= 0) close(m_fd);
  }
  int fd() const { return m_fd; }

 private:
  int m_fd;
};

TEST(RepairTornLastLine, MovesWhatFollowsTheLastLineEnd) {
  struct Case {
    const char* name;
    std::string log;
    std::string logAfter;
    std::string setAside;  // the .torn file after, "" when none is made
  };
  const std::string torn = "2015/03/07-00:00:00.9";
  const Case cases[] = {
      {"WholeLines", kLine1 + kLine2, kLine1 + kLine2, ""},
      {"Empty", "", "", ""},
      {"TornLine", kLine1 + torn, kLine1, torn + "\r\n"},
      {"LineEndCutBetweenCrAndLf", kLine1 + kLine2.substr(0, kLine2.size() - 1), kLine1,
       kLine2.substr(0, kLine2.size() - 1) + "\r\n"},
      {"OnlyATornLine", torn, "", torn + "\r\n"},
      // Some file systems leave zeros where a cut write's data never came.
      {"ZerosAfterTheLastLine", kLine1 + std::string(4096, '\0'), kLine1, std::string(4096, '\0') + "\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const std::string logPath = folder.Write("site.log", c.log);
    TornLineRepair repair;
    {
      OpenLog log(logPath);
      ASSERT_GE(log.fd(), 0);
      repair = RepairTornLastLine(log.fd(), logPath);
    }
    EXPECT_EQ(ReadFileBytes(logPath), c.logAfter);
    EXPECT_EQ(repair.cut, !c.setAside.empty());
    EXPECT_EQ(repair.error, 0);
    if (c.setAside.empty()) {
      EXPECT_FALSE(std::filesystem::exists(logPath + ".torn"));
      EXPECT_EQ(repair.message, "");
      continue;
    }
    EXPECT_EQ(ReadFileBytes(logPath + ".torn"), c.setAside);
    EXPECT_EQ(repair.bytes, c.setAside.size() - 2);
    EXPECT_EQ(repair.setAsidePath, logPath + ".torn");
    EXPECT_EQ(repair.message, "The last line of " + logPath +
                                  " was cut short, most likely by a power cut: its " +
                                  std::to_string(repair.bytes) + " bytes were moved to " + logPath +
                                  ".torn. Logging goes on after the last whole line.");
  }
}

// Torn lines of earlier cuts stay in the set-aside file, one per line; a
// repair that was itself cut after setting the line aside is finished by
// the next without a second copy.
TEST(RepairTornLastLine, EarlierTornLinesStayAndNoneIsSetAsideTwice) {
  TempFolder folder;
  const std::string logPath = folder.Write("site.log", kLine1 + "first torn");
  const std::string setAside = folder.Write("site.log.torn", "older torn\r\n");
  {
    OpenLog log(logPath);
    EXPECT_TRUE(RepairTornLastLine(log.fd(), logPath).cut);
  }
  EXPECT_EQ(ReadFileBytes(setAside), "older torn\r\nfirst torn\r\n");
  // The cut after the set-aside never happened.
  folder.Write("site.log", kLine1 + "first torn");
  {
    OpenLog log(logPath);
    EXPECT_TRUE(RepairTornLastLine(log.fd(), logPath).cut);
  }
  EXPECT_EQ(ReadFileBytes(setAside), "older torn\r\nfirst torn\r\n");
  EXPECT_EQ(ReadFileBytes(logPath), kLine1);
}

TEST(RepairTornLastLine, FailureLeavesTheLogAsItWasAndSaysWhy) {
  TempFolder folder;
  const std::string logPath = folder.Write("site.log", kLine1 + "torn");
  ASSERT_EQ(mkdir((logPath + ".torn").c_str(), 0700), 0);  // no file can be made there
  OpenLog log(logPath);
  const TornLineRepair repair = RepairTornLastLine(log.fd(), logPath);
  EXPECT_FALSE(repair.cut);
  EXPECT_EQ(repair.error, EISDIR);
  EXPECT_EQ(repair.message, "The last line of " + logPath +
                                " was cut short, most likely by a power cut, and could not be set aside in " +
                                logPath + ".torn: is a directory. The new lines follow it.");
  EXPECT_EQ(ReadFileBytes(logPath), kLine1 + "torn");
}

// A file with no line end near its end is not a log a cut has torn.
TEST(RepairTornLastLine, NoLineEndWithinTheLimitLeavesTheFileAlone) {
  TempFolder folder;
  const std::string content = "x" + std::string(kMaxTornLineBytes, 'y');
  const std::string logPath = folder.Write("site.log", content);
  OpenLog log(logPath);
  const TornLineRepair repair = RepairTornLastLine(log.fd(), logPath);
  EXPECT_FALSE(repair.cut);
  EXPECT_EQ(repair.message, "");
  EXPECT_EQ(std::filesystem::file_size(logPath), content.size());
}

TEST(DayOfLastLine, TheLastWholeLinesDate) {
  struct Case {
    const char* name;
    std::string log;
    std::optional<LocalDate> day;
  };
  const Case cases[] = {
      {"TwoLines", kLine1 + kLine2, LocalDate{2015, 3, 7}},
      {"OneLine", kLine1, LocalDate{2015, 3, 6}},
      {"TornLineAfter", kLine1 + "2015/03/07-00:0", LocalDate{2015, 3, 6}},
      {"Empty", "", std::nullopt},
      {"OnlyATornLine", "2015/03/07-00:0", std::nullopt},
      {"NotALogLine", kLine1 + "a note typed in\r\n", std::nullopt},
      {"BadDate", "2015/13/07-00:00:00.400   -   4,\r\n", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const std::string logPath = folder.Write("site.log", c.log);
    const int fd = open(logPath.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(DayOfLastLine(fd), c.day);
    close(fd);
  }
}

}  // namespace
