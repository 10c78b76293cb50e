// The log file on the real file system: append prompt, open and lock, whole
// lines, the LOGEVERY rule, write errors.
#include "decode/log_line.h"
#include "platform/posix_io.h"
#include "run/log_file.h"
#include "testkit/temp_folder.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Answers every question with a preset answer and records what was shown.
class ScriptedPrompt : public UserPrompt {
 public:
  explicit ScriptedPrompt(PromptAnswer answer = PromptAnswer::Yes) : m_answer(answer) {}
  PromptAnswer AskYesNoCancel(const std::string& text, const std::string& caption) override {
    questions.push_back(text);
    captions.push_back(caption);
    return m_answer;
  }
  void ShowError(const std::string& text) override { errors.push_back(text); }

  std::vector<std::string> questions;
  std::vector<std::string> captions;
  std::vector<std::string> errors;

 private:
  PromptAnswer m_answer;
};

// 7 March 2015, 14:05:09.042 local time.
constexpr LocalTime kStamp{2015, 3, 7, 14, 5, 9, 42};
constexpr char kStampedPrefix[] = "2015/03/07-14:05:09.042   -   ";

class LogFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(m_folder.path().empty());
    m_dir = m_folder.path();
  }

  std::string PathOf(const std::string& name) const { return m_folder.Path(name); }

  static std::string ReadAll(const std::string& path) { return ReadFileBytes(path); }
  static void WriteAll(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
  }

  TempFolder m_folder;
  std::filesystem::path m_dir;
};

TEST_F(LogFileTest, EmptyNameKeepsNoLog) {
  ScriptedPrompt prompt;
  LogFile log;
  EXPECT_EQ(log.OpenLog(prompt, ""), 0);
  EXPECT_FALSE(log.IsOpen());
  EXPECT_EQ(log.AppendLine(FormatLogLine(kStamp, "1,2,")), -1);
  EXPECT_TRUE(prompt.questions.empty());
  EXPECT_TRUE(std::filesystem::is_empty(m_dir));
}

TEST_F(LogFileTest, NewFileGetsOneCrLfLinePerRecordReadableWhileOpen) {
  const std::string path = PathOf("run.log");
  ScriptedPrompt prompt;
  LogFile log;
  ASSERT_EQ(log.OpenLog(prompt, path), 0);
  EXPECT_TRUE(prompt.questions.empty()) << "a new file needs no question";
  ASSERT_TRUE(log.IsOpen());

  ASSERT_EQ(log.AppendLine(FormatLogLine(kStamp, "12,-3,300,")), 0);
  // Each line is in the file before the next record: a reader sees it now.
  EXPECT_EQ(ReadAll(path), std::string(kStampedPrefix) + "12,-3,300,\r\n");

  // Same millisecond, same stamp; lines stay in handling order.
  ASSERT_EQ(log.AppendLine(FormatLogLine(kStamp, "7,")), 0);
  const LocalTime late{2026, 12, 31, 23, 59, 59, 999};
  ASSERT_EQ(log.AppendLine(FormatLogLine(late, "-32768,")), 0);
  log.CloseLog();
  log.CloseLog();  // closing twice is harmless
  EXPECT_FALSE(log.IsOpen());

  EXPECT_EQ(ReadAll(path), std::string(kStampedPrefix) + "12,-3,300,\r\n" + kStampedPrefix + "7,\r\n" +
                               "2026/12/31-23:59:59.999   -   -32768,\r\n");
  EXPECT_TRUE(prompt.errors.empty());
}

TEST_F(LogFileTest, AppendAfterYesKeepsOldContent) {
  struct Case {
    const char* what;
    std::string old;
  };
  const Case cases[] = {
      {"EndsWithLineEnd", "old line\r\n"},
      // The first new line continues the old last line.
      {"NoFinalLineEnd", "partial"},
      {"Empty", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = PathOf(std::string(c.what) + ".log");
    WriteAll(path, c.old);
    ScriptedPrompt prompt(PromptAnswer::Yes);
    LogFile log;
    ASSERT_EQ(log.OpenLog(prompt, path), 0);
    ASSERT_EQ(log.AppendLine(FormatLogLine(kStamp, "1,")), 0);
    log.CloseLog();
    EXPECT_EQ(ReadAll(path), c.old + kStampedPrefix + "1,\r\n");
    ASSERT_EQ(prompt.questions.size(), 1u);
  }
}

TEST_F(LogFileTest, QuestionNamesTheFileAsGivenNotItsFullPath) {
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(m_dir);
  WriteAll("relative.log", "x");
  ScriptedPrompt prompt(PromptAnswer::Cancel);
  LogFile log;
  const int result = log.OpenLog(prompt, "relative.log");
  std::filesystem::current_path(previous);

  EXPECT_EQ(result, -1);
  ASSERT_EQ(prompt.questions.size(), 1u);
  EXPECT_EQ(prompt.questions[0],
            "File relative.log exists.\nWould you like to append data to the existing file?");
  EXPECT_EQ(prompt.captions[0], "TESSAM  PLENX LOGGER - Request");
}

TEST_F(LogFileTest, NoAndCancelOpenNothingAndLeaveFileUnchanged) {
  const std::string original("line one\r\nno end \xB0", 19);
  for (PromptAnswer answer : {PromptAnswer::No, PromptAnswer::Cancel}) {
    SCOPED_TRACE(answer == PromptAnswer::No ? "No" : "Cancel");
    const std::string path = PathOf("kept.log");
    WriteAll(path, original);
    ScriptedPrompt prompt(answer);
    LogFile log;
    EXPECT_EQ(log.OpenLog(prompt, path), -1);
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(ReadAll(path), original);
    EXPECT_TRUE(prompt.errors.empty());
  }
}

TEST_F(LogFileTest, DirectoriesAndWildcardMatchesCountAsExisting) {
  std::filesystem::create_directory(PathOf("logs"));
  WriteAll(PathOf("a.log"), "");
  EXPECT_TRUE(LogFile::FileExists(PathOf("logs")));
  EXPECT_TRUE(LogFile::FileExists(PathOf("a.log")));
  EXPECT_TRUE(LogFile::FileExists(PathOf("*.log")));
  EXPECT_TRUE(LogFile::FileExists(PathOf("?.log")));
  EXPECT_FALSE(LogFile::FileExists(PathOf("b*.log")));
  EXPECT_FALSE(LogFile::FileExists(PathOf("missing.log")));
  EXPECT_FALSE(LogFile::FileExists(PathOf("missing/a.log")));
}

// A file that cannot be opened for writing: Start must not go on, so the
// open fails with a message that names the full path and the reason, and
// nothing is created.
TEST_F(LogFileTest, UnopenableFileIsRefusedWithItsReason) {
  const std::string held = PathOf("held.log");
  LogFile firstWriter;
  ScriptedPrompt firstPrompt;
  ASSERT_EQ(firstWriter.OpenLog(firstPrompt, held), 0);
  ASSERT_TRUE(firstWriter.IsOpen());

  const std::string readOnly = PathOf("read-only.log");
  WriteAll(readOnly, "old\r\n");
  chmod(readOnly.c_str(), 0444);
  WriteAll(PathOf("plain"), "");

  struct Case {
    const char* what;
    std::string name;
    std::string reason;
  };
  std::vector<Case> cases = {
      {"SecondWriterRefused", held, "in use by another program"},
      {"NameIsADirectory", m_dir.string(), "it is a folder"},
      {"MissingFolder", PathOf("missing/run.log"), "no such folder"},
      {"FolderIsAFile", PathOf("plain/run.log"), "a part of the path is not a folder"},
  };
  // Root ignores permission bits, so the read-only case proves nothing there.
  if (geteuid() != 0) cases.push_back({"ReadOnlyFile", readOnly, "permission denied"});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string before = std::filesystem::is_regular_file(c.name) ? ReadAll(c.name) : "";
    ScriptedPrompt prompt(PromptAnswer::Yes);
    LogFile log;
    EXPECT_EQ(log.OpenLog(prompt, c.name), -1);
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(prompt.errors,
              std::vector<std::string>{"Cannot open log file " + c.name + ": " + c.reason + "."});
    if (std::filesystem::is_regular_file(c.name)) {
      EXPECT_EQ(ReadAll(c.name), before);
    }
  }
  EXPECT_FALSE(std::filesystem::exists(PathOf("missing")));

  // Once the first writer closes, the lock is gone.
  firstWriter.CloseLog();
  ScriptedPrompt prompt(PromptAnswer::Yes);
  LogFile secondWriter;
  EXPECT_EQ(secondWriter.OpenLog(prompt, held), 0);
  EXPECT_TRUE(secondWriter.IsOpen());
  // A released file keeps its lock until the new owner closes it.
  const int released = secondWriter.ReleaseFile();
  ASSERT_GE(released, 0);
  EXPECT_FALSE(secondWriter.IsOpen());
  LogFile thirdWriter;
  EXPECT_EQ(thirdWriter.OpenLog(prompt, held), -1);
  CloseFile(released);
  EXPECT_EQ(thirdWriter.OpenLog(prompt, held), 0);
}

// A Start that opened the log but then failed at the port leaves it open;
// the next Start opens the same object again, with the same name or a new one
// chosen meanwhile, and must neither lock itself out nor keep the old file.
TEST_F(LogFileTest, OpenLogAgainOnAnOpenLogReleasesTheOldFile) {
  const std::string first = PathOf("first.log");
  const std::string second = PathOf("second.log");
  ScriptedPrompt prompt(PromptAnswer::Yes);
  LogFile log;
  ASSERT_EQ(log.OpenLog(prompt, first), 0);
  ASSERT_EQ(log.OpenLog(prompt, first), 0);
  ASSERT_TRUE(log.IsOpen());
  ASSERT_EQ(log.AppendLine(FormatLogLine(kStamp, "1,")), 0);

  ASSERT_EQ(log.OpenLog(prompt, second), 0);
  ASSERT_EQ(log.AppendLine(FormatLogLine(kStamp, "2,")), 0);
  LogFile otherWriter;
  EXPECT_EQ(otherWriter.OpenLog(prompt, first), 0);
  EXPECT_TRUE(otherWriter.IsOpen()) << "the first file is still locked";
  log.CloseLog();

  EXPECT_EQ(ReadAll(first), std::string(kStampedPrefix) + "1,\r\n");
  EXPECT_EQ(ReadAll(second), std::string(kStampedPrefix) + "2,\r\n");
}

TEST_F(LogFileTest, WriteFailureShowsDiskFull) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  ScriptedPrompt prompt(PromptAnswer::Yes);
  LogFile log;
  ASSERT_EQ(log.OpenLog(prompt, "/dev/full"), 0);
  ASSERT_TRUE(log.IsOpen());
  // Each failing line fails again.
  EXPECT_EQ(log.AppendLine(FormatLogLine(kStamp, "1,")), -1);
  EXPECT_EQ(errno, ENOSPC);
  EXPECT_EQ(log.AppendLine(FormatLogLine(kStamp, "2,")), -1);
  EXPECT_EQ(log.WriteFailureText(), "Disk full while accessing /dev/full.");
}

// A pipe nobody drains must give a write error once it is full, not block
// the log writer's thread for ever.
TEST_F(LogFileTest, FullPipeGivesWriteErrorInsteadOfBlocking) {
  const std::string path = PathOf("pipe");
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  ScriptedPrompt prompt(PromptAnswer::Yes);
  LogFile log;
  ASSERT_EQ(log.OpenLog(prompt, path), 0);
  ASSERT_TRUE(log.IsOpen());
  constexpr int kMoreLinesThanAPipeHolds = 100'000;
  int result = 0;
  for (int i = 0; i < kMoreLinesThanAPipeHolds && result == 0; ++i) {
    result = log.AppendLine(FormatLogLine(kStamp, "1,2,3,"));
  }
  EXPECT_EQ(result, -1);
}

// A write that gets only part of the line in (file size limit reached) must
// not leave that part behind, and the message names the full path of a
// relative name. Runs in a child: the limit and the directory change are
// process-wide.
TEST_F(LogFileTest, PartialWriteIsCutOffAndMessageHasFullPath) {
  const std::string path = PathOf("limited.log");
  const std::string old = "old line\r\n";
  WriteAll(path, old);
  std::filesystem::create_directory(PathOf("sub"));
  const std::string fullPath = (std::filesystem::canonical(m_dir) / "limited.log").string();
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(pipeFds[0]);
    signal(SIGXFSZ, SIG_IGN);
    ScriptedPrompt prompt(PromptAnswer::Yes);
    LogFile log;
    if (chdir(m_dir.c_str()) != 0 || log.OpenLog(prompt, "./sub/../limited.log") != 0) _exit(2);
    const rlimit limit{old.size() + 10, old.size() + 10};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(3);
    const int result = log.AppendLine(FormatLogLine(kStamp, "1,2,3,"));
    std::ostringstream report;
    report << result << ' ' << (result == 0 ? "" : log.WriteFailureText());
    const std::string text = report.str();
    const bool sent = write(pipeFds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
    _exit(sent ? 0 : 4);
  }
  close(pipeFds[1]);
  std::string report;
  char buffer[512];
  for (ssize_t got; (got = read(pipeFds[0], buffer, sizeof buffer)) > 0;) report.append(buffer, got);
  close(pipeFds[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);

  EXPECT_EQ(report, "-1 Disk full while accessing " + fullPath + ".");
  EXPECT_EQ(ReadAll(path), old);
}

TEST(LogEveryRule, DecidesWhichRecordsAreLogged) {
  struct Case {
    int logEvery;
    const char* logged;  // of the records taken at counts 0..8: L logged, - not
  };
  const Case cases[] = {
      {1, "LLLLLLLLL"},  {0, "LLLLLLLLL"}, {3, "-LL-LL-LL"},
      {-3, "-LL-LL-LL"}, {2, "-L-L-L-L-"}, {-1, "---------"},
  };
  for (const Case& c : cases) {
    std::string logged;
    for (int count = 0; count < 9; ++count) logged += IsRecordLogged(count, c.logEvery) ? 'L' : '-';
    EXPECT_EQ(logged, c.logged) << c.logEvery;
  }
}

// The counter is 32-bit and may run for years; the lowest value divided by
// -1 must stay defined (checked under the sanitizer).
TEST(LogEveryRule, ExtremeCountsStayDefined) {
  EXPECT_FALSE(IsRecordLogged(INT_MIN, -1));
  EXPECT_TRUE(IsRecordLogged(INT_MIN, 3));
  EXPECT_FALSE(IsRecordLogged(INT_MIN, INT_MIN));
  EXPECT_TRUE(IsRecordLogged(INT_MAX, INT_MIN));
}

}  // namespace

// A log removed or renamed during the run: the next line goes to a new file
// of the log's name, once said; what the renamed file holds stays there. A
// log whose folder went away too is a failed write until the folder is back.
TEST_F(LogFileTest, LogRemovedOrRenamedGoesOnInANewFileOfItsName) {
  struct Case {
    const char* what;
    void (*move)(const std::string& log, const std::string& folder);
    const char* keptAs;  // where the first line ends up, or nullptr
  };
  const Case cases[] = {
      {"Removed", [](const std::string& log, const std::string&) { std::filesystem::remove(log); }, nullptr},
      {"Renamed",
       [](const std::string& log, const std::string& folder) {
         std::filesystem::rename(log, folder + "/copied.log");
       },
       "copied.log"},
      {"ReplacedByAnotherFile",
       [](const std::string& log, const std::string& folder) {
         std::filesystem::rename(log, folder + "/copied.log");
         WriteAll(log, "");
       },
       "copied.log"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string folder = PathOf(c.what);
    std::filesystem::create_directory(folder);
    const std::string path = folder + "/site.log";
    ScriptedPrompt prompt;
    LogFile log;
    ASSERT_EQ(log.OpenLog(prompt, path), 0);
    ASSERT_EQ(log.AppendLine(FormatLogLine(kStamp, "1,")), 0);
    c.move(path, folder);
    EXPECT_EQ(log.AppendLine(FormatLogLine(kStamp, "2,")), kLogReopened);
    EXPECT_EQ(log.ReopenedText(), "The log file " + path +
                                      " was removed or renamed during the run. Logging goes on in a new file "
                                      "of that name.");
    EXPECT_EQ(log.AppendLine(FormatLogLine(kStamp, "3,")), 0);
    LogFile otherWriter;
    EXPECT_EQ(otherWriter.OpenLog(prompt, path), -1) << "the new file is locked like the first";
    log.CloseLog();
    EXPECT_EQ(ReadAll(path), std::string(kStampedPrefix) + "2,\r\n" + kStampedPrefix + "3,\r\n");
    if (c.keptAs != nullptr) {
      EXPECT_EQ(ReadAll(folder + "/" + c.keptAs), std::string(kStampedPrefix) + "1,\r\n");
    }
  }

  // The folder renamed with the log in it: no new file can be made until a
  // folder of that name is back.
  const std::string folder = PathOf("stick");
  std::filesystem::create_directory(folder);
  const std::string path = folder + "/site.log";
  ScriptedPrompt prompt;
  LogFile log;
  ASSERT_EQ(log.OpenLog(prompt, path), 0);
  std::filesystem::rename(folder, PathOf("stick-moved"));
  EXPECT_EQ(log.AppendLine(FormatLogLine(kStamp, "1,")), -1);
  std::filesystem::create_directory(folder);
  EXPECT_EQ(log.AppendLine(FormatLogLine(kStamp, "2,")), kLogReopened);
  log.CloseLog();
  EXPECT_EQ(ReadAll(path), std::string(kStampedPrefix) + "2,\r\n");
  EXPECT_EQ(ReadAll(PathOf("stick-moved/site.log")), "");
}
