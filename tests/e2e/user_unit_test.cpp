// The systemd user unit res/systemd/plenx-logger@.service: its command, as
// systemd would run it for an instance, logs the port, stops cleanly on
// SIGTERM with the archive written, and starts again after a stop (the log
// it left is appended to, not refused).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "archive/log_archive_name.h"
#include "link/frame_encoder.h"
#include "platform/local_time.h"
#include "tests/e2e/logger_process.h"

namespace {

const std::string kUnitPath = std::string(PLENX_SOURCE_DIR) + "/res/systemd/plenx-logger@.service";

// The words of the unit's ExecStart= for `instance` and home folder `home`,
// with the specifiers and the unit's Environment= values put in; the
// program's name is left as the first word.
std::vector<std::string> UnitCommand(const std::string& instance, const std::string& home) {
  std::map<std::string, std::string> environment;
  std::string command;
  for (const std::string& line : Lines(ReadFileBytes(kUnitPath))) {
    if (line.starts_with("Environment=")) {
      const std::string assignment = line.substr(12);
      environment[assignment.substr(0, assignment.find('='))] = assignment.substr(assignment.find('=') + 1);
    }
    if (line.starts_with("ExecStart=")) command = line.substr(10);
  }
  std::vector<std::string> words;
  std::istringstream in(command);
  for (std::string word; in >> word;) {
    for (const auto& [from, to] : std::map<std::string, std::string>{{"%i", instance}, {"%h", home}}) {
      for (size_t at = word.find(from); at != std::string::npos; at = word.find(from, at + to.size()))
        word.replace(at, from.size(), to);
    }
    if (word.starts_with("${") && word.ends_with("}")) word = environment[word.substr(2, word.size() - 3)];
    words.push_back(word);
  }
  return words;
}

TEST(UserUnitTest, CommandLogsThePortAndStartsAgainAfterAStop) {
  ProgramFolder folder;
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  folder.MapPort("COM5", line.SlavePath());
  const std::string home = folder.Files().path();
  std::vector<std::string> command = UnitCommand("COM5", home);
  ASSERT_GE(command.size(), 2u);
  EXPECT_EQ(command[0], "plenx-logger");
  command.erase(command.begin());
  std::filesystem::create_directories(home + "/plenx-logs");  // ExecStartPre
  const std::string log = home + "/plenx-logs/COM5.log";

  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE(run);
    LoggerProcess logger(folder, command, "run" + std::to_string(run));
    ASSERT_TRUE(logger.WaitForRun()) << logger.Err();
    ASSERT_TRUE(line.Write(EncodeFrame(0, std::vector<int16_t>(229, static_cast<int16_t>(run)))));
    EXPECT_TRUE(WaitUntil([&] { return Lines(ReadFileBytes(log)).size() == static_cast<size_t>(run); },
                          kProgramTimeoutMs));
    logger.Signal(SIGTERM);
    EXPECT_EQ(logger.WaitExit(), 0) << logger.Err();
    EXPECT_TRUE(logger.Out().starts_with("banner: hidden\n[OUTDOOR]\n"));
  }
  const std::optional<LogArchiveName> archive = LogArchiveNameFor(log, ReadLocalTime());
  ASSERT_TRUE(archive);
  EXPECT_TRUE(std::filesystem::exists(archive->archivePath));
}

}  // namespace
