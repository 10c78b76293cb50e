// The log file on Windows: CR LF lines readable while the run writes them,
// another writer refused with the full path and the reason, the append
// question, a log that stays where it is during the run, and a full disk.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "decode/log_line.h"
#include "platform/full_path.h"
#include "run/log_file.h"
#include "testkit/temp_folder.h"

namespace {

class ScriptedPrompt : public UserPrompt {
 public:
  PromptAnswer AskYesNoCancel(const std::string& text, const std::string&) override {
    questions.push_back(text);
    return PromptAnswer::Yes;
  }
  void ShowError(const std::string& text) override { errors.push_back(text); }

  std::vector<std::string> questions;
  std::vector<std::string> errors;
};

constexpr LocalTime kStamp{2015, 3, 7, 14, 5, 9, 42};
constexpr char kStampedPrefix[] = "2015/03/07-14:05:09.042   -   ";

std::string Line(const std::string& record) { return kStampedPrefix + record + "\r\n"; }

TEST(LogFileTest, LinesReadableWhileOpenAndASecondWriterRefused) {
  TempFolder folder;
  const std::string path = folder.Path("site.log");
  ScriptedPrompt prompt;
  LogFile log;
  ASSERT_EQ(log.OpenLog(prompt, path), 0);
  ASSERT_EQ(log.AppendLine(FormatLogLine(kStamp, "12,-3,300,")), 0);
  EXPECT_EQ(ReadFileBytes(path), Line("12,-3,300,"));

  LogFile second;
  EXPECT_EQ(second.OpenLog(prompt, path), -1);
  ASSERT_EQ(prompt.errors.size(), 1u);
  EXPECT_EQ(prompt.errors[0], "Cannot open log file " + FullPath(path) + ": in use by another program.");
  EXPECT_EQ(prompt.questions,
            std::vector<std::string>{"File " + path +
                                     " exists.\nWould you like to append data to the existing "
                                     "file?"});

  log.CloseLog();
  ASSERT_EQ(second.OpenLog(prompt, path), 0);
  ASSERT_EQ(second.AppendLine(FormatLogLine(kStamp, "7,")), 0);
  second.CloseLog();
  EXPECT_EQ(ReadFileBytes(path), Line("12,-3,300,") + Line("7,"));
}

// Windows refuses to move or delete the log while the run writes it (the
// file is in use), so every line stays in the file the run opened.
TEST(LogFileTest, LogStaysWhereItIsDuringTheRun) {
  TempFolder folder;
  const std::string path = folder.Path("site.log");
  ScriptedPrompt prompt;
  LogFile log;
  ASSERT_EQ(log.OpenLog(prompt, path), 0);
  ASSERT_EQ(log.AppendLine(FormatLogLine(kStamp, "1,")), 0);
  EXPECT_FALSE(MoveFileW(FsPath(path).c_str(), FsPath(folder.Path("copied.log")).c_str()));
  EXPECT_FALSE(DeleteFileW(FsPath(path).c_str()));
  EXPECT_EQ(log.AppendLine(FormatLogLine(kStamp, "2,")), 0);
  log.CloseLog();
  EXPECT_EQ(ReadFileBytes(path), Line("1,") + Line("2,"));
}

TEST(LogFileTest, FullDiskShowsDiskFull) {
  const std::string full = "Z:\\dev\\full";
  if (!LogFile::FileExists(full)) GTEST_SKIP() << "no Z:\\dev\\full (only under Wine)";
  ScriptedPrompt prompt;
  LogFile log;
  ASSERT_EQ(log.OpenLog(prompt, full), 0);
  EXPECT_EQ(log.AppendLine(FormatLogLine(kStamp, "1,")), -1);
  EXPECT_EQ(log.WriteFailureText(), "Disk full while accessing Z:\\dev\\full.");
}

}  // namespace
