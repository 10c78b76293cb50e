// An unattended run says on standard error what the window would have said
// in a box: a log that cannot be opened, a port that cannot be opened.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "config/persisted_settings.h"
#include "platform/serial_port_name.h"
#include "testkit/child_exit.h"
#include "testkit/wait.h"
#include "tests/app/dialog_probe.h"

extern char** environ;

namespace {

constexpr int kProgramTimeoutMs = 20000;

using HeadlessMessagesTest = DialogTest;  // for its own settings folder

TEST_F(HeadlessMessagesTest, RefusedStartIsExplainedOnStandardError) {
  const std::string ports = SerialPortLinkDirectory();
  std::filesystem::create_directories(ports);
  std::filesystem::create_symlink("/dev/plenx-unplugged-adapter", ports + "/COM5");
  struct Case {
    const char* what;
    std::string log;
    std::string message;
  };
  const Case cases[] = {
      {"LogInAMissingFolder", m_files.Path("missing/site.log"),
       "Plenx Logger: Cannot open log file " + m_files.Path("missing/site.log") + ": no such folder.\n"},
      {"UnpluggedAdapter", m_files.Path("site.log"),
       "Plenx Logger: Error opening COM port\n" + ports +
           "/COM5: no such device. Plug in the adapter, or check the port's link in " + ports + "/.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WritePortSetting("COM5");
    WriteLogFileSetting(c.log);
    const std::string errors = m_files.Path("stderr.txt");
    const std::string program = std::string(PLENX_BIN_DIR) + "/plenx-logger";
    std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>("--headless"),
                               const_cast<char*>("--start"), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    const bool said = WaitUntil([&] { return ReadFileBytes(errors).find(c.message) != std::string::npos; },
                                kProgramTimeoutMs);
    kill(pid, SIGTERM);
    const std::optional<int> status = WaitChildExit(pid, kProgramTimeoutMs);
    if (!status) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    EXPECT_EQ(status, 1) << "an unattended Start that starts no run";
    EXPECT_TRUE(said) << ReadFileBytes(errors);
  }
}

}  // namespace
