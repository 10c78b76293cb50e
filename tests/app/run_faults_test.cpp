// Runs under the faults of a real site, made for real: a log folder that is
// read-only or may not be written, a log another program holds, a full
// disk, and serial ports that are missing, busy or forbidden. Every failure
// reaches the technician with the file or device, the reason and, where
// there is one, what to do.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "config/persisted_settings.h"
#include "link/frame_encoder.h"
#include "platform/posix_io.h"
#include "platform/serial_port.h"
#include "platform/serial_port_name.h"
#include "testkit/pty_line.h"
#include "tests/app/run_probe.h"
#include "tests/support/faults.h"
#include "tests/ui/scripted_dialog_responder.h"
#include "ui/dialog_responder.h"

namespace {

class RunFaultTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    SetDialogResponder(&m_responder);
  }
  void TearDown() override { SetDialogResponder(nullptr); }

  // Clicks Start on a fresh dialog for port and log (as permission bits
  // allow, even for root) and returns the dialog's last message, "" when it
  // showed none. The run must not have started.
  std::string StartRefusal(const std::string& port, const std::string& log) {
    RunProbe dlg(std::string{});
    if (!dlg.Create()) return "no window";
    dlg.m_config.portName = port;
    dlg.m_config.logFileName = log;
    const size_t boxes = m_responder.MessageBoxes().size();
    {
      const PermissionBitsApply permissionBits;
      dlg.Click(kStartButtonId);
    }
    EXPECT_FALSE(dlg.m_started);
    if (m_responder.MessageBoxes().size() == boxes) return "";
    return m_responder.MessageBoxes().back().text;
  }

  ScriptedDialogResponder m_responder;
};

// A log that cannot be opened stops Start as a failed port does: nothing is
// created, the port is not taken, and nothing is remembered.
TEST_F(RunFaultTest, StartRefusesALogThatCannotBeOpened) {
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  const std::string locked = m_files.Path("locked");
  std::filesystem::create_directory(locked);
  chmod(locked.c_str(), 0555);
  const std::string held = m_files.Write("held.log", "another program's lines\r\n");
  const int holder = OpenFile(held.c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);

  struct Case {
    const char* what;
    std::string log;
    std::string reason;
  };
  const Case cases[] = {
      {"FolderMayNotBeWritten", locked + "/site.log", "permission denied"},
      {"HeldByAnotherProgram", held, "in use by another program"},
      {"NoSuchFolder", m_files.Path("missing/site.log"), "no such folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.log == held) m_responder.QueueMessageBoxAnswer(IDYES);  // append to it
    EXPECT_EQ(StartRefusal(line.SlavePath(), c.log), "Cannot open log file " + c.log + ": " + c.reason + ".");
    EXPECT_EQ(m_responder.MessageBoxes().back().type, MB_OK | MB_ICONERROR);
    EXPECT_EQ(ReadLogFileSetting(), "");
    const SerialHandle port = OpenSerialPort(line.SlavePath());
    EXPECT_NE(port, kInvalidSerialHandle) << "the port was left taken";
    CloseSerialPort(port);
  }
  CloseFile(holder);
  EXPECT_EQ(ReadFileBytes(held), "another program's lines\r\n");
  EXPECT_TRUE(std::filesystem::is_empty(locked));
  EXPECT_FALSE(std::filesystem::exists(m_files.Path("missing")));
}

TEST_F(RunFaultTest, StartRefusesALogOnAReadOnlyFileSystem) {
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  const std::string stick = m_files.Path("stick");
  std::filesystem::create_directory(stick);
  const SmallVolume volume(stick, 64 * 1024, /*readOnly=*/true);
  if (!volume.Mounted()) GTEST_SKIP() << kNoMountReason;
  const std::string log = stick + "/site.log";
  EXPECT_EQ(StartRefusal(line.SlavePath(), log), "Cannot open log file " + log + ": read-only file system.");
}

// On a full disk the failure is boxed once for as long as it lasts, not
// again after every OK; records go on being shown, and logging resumes by
// itself once there is room again.
TEST_F(RunFaultTest, FullDiskIsBoxedOnceAndLoggingResumes) {
  m_responder.SetPumpWhileOpen(true);
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  const std::string stick = m_files.Path("stick");
  std::filesystem::create_directory(stick);
  const SmallVolume volume(stick, 64 * 1024);
  const std::string log = stick + "/site.log";
  RunProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  dlg.m_config.portName = line.SlavePath();
  dlg.m_config.logFileName = log;
  dlg.Click(kStartButtonId);
  ASSERT_TRUE(dlg.m_started);

  // The disk fills: on the small volume a filler takes all the room left;
  // without one, a file-size limit keeps the log from growing.
  const std::string filler = stick + "/filler";
  std::optional<FileSizeLimit> limit;
  if (volume.Mounted()) {
    std::ofstream fill(filler, std::ios::binary);
    const std::string block(4096, 'f');
    while (fill.write(block.data(), block.size()) && fill.flush()) {
    }
  } else {
    limit.emplace(0);
    ASSERT_TRUE(limit->Active());
  }
  // A frame whose values count up from first; shown once p = 67 shows.
  const auto send = [&](int first) {
    std::vector<int16_t> values(229);
    for (int i = 0; i < 229; ++i) values[static_cast<size_t>(i)] = static_cast<int16_t>(first + i);
    return line.Write(EncodeFrame(0, values)) && ProcessEventsUntil([&] {
             return dlg.m_outdoorList.GetItemText(9, 1) == std::to_string(first + 67);
           });
  };
  const std::string diskFull = "Disk full while accessing " + log + ".";
  // The later records arrive while the first failure's box is open, and
  // after it was closed.
  for (int record = 0; record < 4; ++record) ASSERT_TRUE(send(record * 1000));
  ASSERT_TRUE(ProcessEventsUntil([&] { return !m_responder.MessageBoxes().empty(); }));
  ASSERT_TRUE(send(5000));
  EXPECT_EQ(std::filesystem::file_size(log), 0u);
  // After OK the window keeps saying it on the state line under the banner.
  EXPECT_NE(dlg.m_stateLine.Text().find("Log not written: "), std::string::npos) << dlg.m_stateLine.Text();
  EXPECT_NE(dlg.m_stateLine.Text().find(diskFull), std::string::npos) << dlg.m_stateLine.Text();

  std::filesystem::remove(filler);
  limit.reset();
  ASSERT_TRUE(send(6000));
  ASSERT_TRUE(
      ProcessEventsUntil([&] { return ReadFileBytes(log).find("   -   6000,6001,") != std::string::npos; }));
  const std::string fiveMissing = "The log misses 5 lines of this run that could not be written.";
  // The line follows the writer's event, posted after the line is on disk.
  EXPECT_TRUE(ProcessEventsUntil([&] { return dlg.m_stateLine.Text() == fiveMissing; }))
      << dlg.m_stateLine.Text();
  ASSERT_TRUE(dlg.StopAndWait());
  EXPECT_EQ(dlg.m_stateLine.Text(), fiveMissing);
  // Every line was tried by the end of Stop: one box for the whole stretch.
  ASSERT_EQ(m_responder.MessageBoxes().size(), 1u);
  EXPECT_EQ(m_responder.MessageBoxes()[0].text, diskFull);
  EXPECT_EQ(ReadFileBytes(log).find("   -   5000,"), std::string::npos);
}

TEST_F(RunFaultTest, PortErrorsNameTheDeviceAndWhatToDo) {
  PtyLine busyLine;
  PtyLine lockedLine;
  ASSERT_TRUE(busyLine.Valid() && lockedLine.Valid());
  const SerialHandle holder = OpenSerialPort(busyLine.SlavePath());
  ASSERT_NE(holder, kInvalidSerialHandle);
  chmod(lockedLine.SlavePath().c_str(), 0);
  const std::string ports = SerialPortLinkDirectory();
  std::filesystem::create_directories(ports);
  std::filesystem::create_symlink("/dev/plenx-unplugged-adapter", ports + "/COM5");

  struct Case {
    const char* what;
    std::string port;
    std::string secondLine;
  };
  const Case cases[] = {
      {"NoSuchDevice", "/dev/plenx-no-such-port",
       "/dev/plenx-no-such-port: no such device. Plug in the adapter."},
      {"PortLinkToAnUnpluggedAdapter", "COM5",
       ports + "/COM5: no such device. Plug in the adapter, or check the port's link in " + ports + "/."},
      {"InUse", busyLine.SlavePath(), busyLine.SlavePath() + ": in use by another program."},
      {"PermissionDenied", lockedLine.SlavePath(),
       lockedLine.SlavePath() +
           ": permission denied. Add the user to the dialout group (sudo usermod -aG dialout $USER), then "
           "log in again."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(StartRefusal(c.port, ""), "Error opening COM port\n" + c.secondLine);
    EXPECT_EQ(m_responder.MessageBoxes().back().type, MB_OK);
  }
  CloseSerialPort(holder);
}

}  // namespace
