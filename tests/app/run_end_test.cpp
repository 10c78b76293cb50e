// How a run ends: Stop works off the window's thread while the window goes
// on, closing waits for the archive, Enter never ends the window and
// Escape asks during a run, and the archive is put in place whole or not at
// all, also after a writer was killed halfway.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QApplication>
#include <QKeyEvent>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "archive/log_archive_name.h"
#include "decode/log_line.h"
#include "testkit/pty_line.h"
#include "testkit/run_command.h"
#include "testkit/wait.h"
#include "tests/app/run_probe.h"
#include "tests/support/faults.h"
#include "tests/ui/scripted_dialog_responder.h"
#include "ui/dialog_responder.h"

extern char** environ;

namespace {

// Big enough that compressing it takes a noticeable while (about a second
// in a release build): Stop is still busy when a test looks.
constexpr size_t kBigLogBytes = 8u * 1000u * 1000u;

// Log lines as a run writes them, with values that drift as telemetry does.
std::string TelemetryLog(size_t sizeBytes) {
  std::string log;
  log.reserve(sizeBytes + 2048);
  std::vector<int> values(229);
  for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<int>(i * 37 % 600) - 50;
  uint32_t seed = 1;
  for (int milliseconds = 0; log.size() < sizeBytes; milliseconds += 480) {
    std::string record;
    for (int& value : values) {
      seed = seed * 1103515245u + 12345u;
      if ((seed >> 28) == 0) value += static_cast<int>((seed >> 16) % 5) - 2;
      record += std::to_string(value) + ",";
    }
    const int second = milliseconds / 1000;
    log += FormatLogLine({2015, 3, 7, second / 3600 % 24, second / 60 % 60, second % 60, milliseconds % 1000},
                         record);
  }
  return log;
}

// The hidden files in folder: a writer's temporary files.
std::vector<std::string> HiddenFiles(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(".")) names.push_back(name);
  }
  return names;
}

bool ArchiveIsSound(const std::string& archivePath) {
  const std::string check =
      "python3 -c 'import sys, zipfile; sys.exit(zipfile.ZipFile(sys.argv[1]).testzip() is not None)' '" +
      archivePath + "'";
  return RunCommand(check).exitCode == 0;
}

class RunEndTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    SetDialogResponder(&m_responder);
  }
  void TearDown() override { SetDialogResponder(nullptr); }

  // Starts a run of dlg on the line, logging to log (appending to it when
  // it exists).
  void StartRun(RunProbe& dlg, const PtyLine& line, const std::string& log) {
    ASSERT_TRUE(dlg.Create());
    dlg.m_config.portName = line.SlavePath();
    dlg.m_config.logFileName = log;
    if (std::filesystem::exists(log)) m_responder.QueueMessageBoxAnswer(IDYES);
    dlg.Click(kStartButtonId);
    ASSERT_TRUE(dlg.m_started);
  }

  std::string ArchivePathOf(const std::string& log) {
    const std::optional<LogArchiveName> name = LogArchiveNameFor(log, ReadLocalTime());
    return name ? name->archivePath : std::string();
  }

  ScriptedDialogResponder m_responder;
};

// While Stop closes the link and compresses a big log, the window goes on:
// it handles records (without starting the watchdog), shows the archive's
// progress, and keeps Start, Stop and the choices disabled. A close then
// waits for the archive, which is complete when the window goes.
TEST_F(RunEndTest, StopRunsBesideTheWindowAndCloseWaitsForTheArchive) {
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  const std::string log = m_files.Write("big.log", TelemetryLog(kBigLogBytes));
  RunProbe dlg(std::string{});
  dlg.m_archiveProgressDelayMs = 0;
  StartRun(dlg, line, log);

  dlg.Click(kStopButtonId);
  EXPECT_TRUE(dlg.m_stopping);
  for (int id : {kStartButtonId, kStopButtonId, kSaveAsButtonId, kPortComboId}) {
    EXPECT_TRUE(dlg.Shown(id)) << id;
    EXPECT_FALSE(dlg.Enabled(id)) << id;
  }
  dlg.Click(kStartButtonId);  // disabled: nothing happens
  EXPECT_TRUE(dlg.m_stopping);

  // A record the link completed before it closed is shown, and the banner
  // stays hidden whatever the line does meanwhile.
  std::vector<int> positions(229);
  for (int i = 0; i < 229; ++i) positions[static_cast<size_t>(i)] = i;
  dlg.PostRecord(RecordText(positions), 0);
  dlg.PostRunEvent(RunEventKind::kLineQuiet);
  PumpPostedMessages();
  EXPECT_TRUE(dlg.m_stopping);
  EXPECT_EQ(dlg.m_outdoorList.GetItemText(9, 1), "67");
  EXPECT_FALSE(dlg.m_banner.IsWindowVisible());

  ASSERT_TRUE(ProcessEventsUntil([&] {
    const ArchiveProgressDialog* progress = dlg.ArchiveProgress();
    return progress != nullptr && progress->isVisible();
  }));
  dlg.OnSysCommand(SC_CLOSE, 0);  // no question: the run is already ending
  EXPECT_TRUE(dlg.IsWindowVisible());
  EXPECT_EQ(m_responder.MessageBoxes().size(), 1u) << "only the append question";
  ASSERT_TRUE(ProcessEventsUntil([&] { return !dlg.IsWindowVisible(); }, 120000));

  EXPECT_FALSE(dlg.m_started);
  EXPECT_EQ(dlg.ArchiveProgress(), nullptr);
  EXPECT_TRUE(ArchiveIsSound(ArchivePathOf(log)));
  EXPECT_TRUE(HiddenFiles(m_files.path()).empty());
  EXPECT_EQ(m_responder.MessageBoxes().size(), 1u);
}

TEST_F(RunEndTest, StopEnablesTheControlsAgainWhenDone) {
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  RunProbe dlg(std::string{});
  StartRun(dlg, line, m_files.Path("small.log"));
  ASSERT_TRUE(dlg.StopAndWait());
  for (int id : {kStartButtonId, kStopButtonId, kSaveAsButtonId, kPortComboId})
    EXPECT_TRUE(dlg.Enabled(id)) << id;
  EXPECT_EQ(dlg.ArchiveProgress(), nullptr) << "a quick archive shows no progress window";
  // The next run starts as usual.
  m_responder.QueueMessageBoxAnswer(IDYES);
  dlg.Click(kStartButtonId);
  EXPECT_TRUE(dlg.m_started);
  ASSERT_TRUE(dlg.StopAndWait());
}

// Enter, wherever the focus is, never ends the window; Escape and the close
// box ask during a run, and close at once while idle.
TEST_F(RunEndTest, OnlyAConfirmedCloseEndsARun) {
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  const std::string log = m_files.Path("site.log");
  RunProbe dlg(std::string{});
  StartRun(dlg, line, log);
  dlg.m_outdoorList.GetWidget()->setFocus();
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(dlg.GetWidget(), &enter);
  EXPECT_TRUE(dlg.IsWindowVisible());
  EXPECT_TRUE(dlg.m_started);

  for (int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer == IDYES ? "Yes" : "No");
    const size_t boxes = m_responder.MessageBoxes().size();
    m_responder.QueueMessageBoxAnswer(answer);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(dlg.GetWidget(), &escape);
    ASSERT_EQ(m_responder.MessageBoxes().size(), boxes + 1);
    EXPECT_EQ(m_responder.MessageBoxes().back().text, "A run is active. Stop it and close Plenx Logger?");
    EXPECT_EQ(m_responder.MessageBoxes().back().type, MB_YESNO | MB_ICONQUESTION);
  }
  ASSERT_TRUE(ProcessEventsUntil([&] { return !dlg.IsWindowVisible(); }));
  EXPECT_FALSE(dlg.m_started);
  EXPECT_TRUE(ArchiveIsSound(ArchivePathOf(log)));

  RunProbe idle(std::string{});
  ASSERT_TRUE(idle.Create());
  const size_t boxes = m_responder.MessageBoxes().size();
  idle.OnSysCommand(SC_CLOSE, 0);
  EXPECT_FALSE(idle.IsWindowVisible());
  EXPECT_EQ(m_responder.MessageBoxes().size(), boxes);
}

// A termination signal stops and closes without a question.
TEST_F(RunEndTest, CloseAfterStopNeedsNoAnswer) {
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  const std::string log = m_files.Path("site.log");
  RunProbe dlg(std::string{});
  StartRun(dlg, line, log);
  dlg.CloseAfterStop();
  ASSERT_TRUE(ProcessEventsUntil([&] { return !dlg.IsWindowVisible(); }));
  EXPECT_TRUE(m_responder.MessageBoxes().empty());
  EXPECT_TRUE(ArchiveIsSound(ArchivePathOf(log)));
}

// An archive that cannot be completed is reported, and the day's earlier
// archive of that name stays as it was, with nothing beside it.
TEST_F(RunEndTest, FailedArchiveIsReportedAndTheEarlierOneKept) {
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  // Incompressible, so that the archive outgrows the log.
  std::string noise(50000, '\0');
  uint32_t seed = 3;
  for (char& c : noise) c = static_cast<char>((seed = seed * 1664525u + 1013904223u) >> 24);
  // Ends with a whole line, so that Start finds no torn last line to set aside.
  noise.back() = '\n';
  const std::string log = m_files.Write("site.log", noise);
  const std::string archive = ArchivePathOf(log);
  const std::string earlier = "the day's earlier archive";
  m_files.Write(std::filesystem::path(archive).filename().string(), earlier);

  RunProbe dlg(std::string{});
  StartRun(dlg, line, log);
  {
    FileSizeLimit limit(noise.size() + 10);
    ASSERT_TRUE(limit.Active());
    ASSERT_TRUE(dlg.StopAndWait());
  }
  ASSERT_EQ(m_responder.MessageBoxes().size(), 2u);
  EXPECT_EQ(m_responder.MessageBoxes()[1].text, "Cannot write archive " + archive + ": file too large.");
  EXPECT_EQ(m_responder.MessageBoxes()[1].type & kMessageBoxIconMask, MB_ICONERROR);
  EXPECT_EQ(ReadFileBytes(archive), earlier);
  EXPECT_TRUE(HiddenFiles(m_files.path()).empty());
}

// plenx-zip shares the logger's archive writer; killed with SIGKILL while
// it writes the archive that Stop would write, it leaves the earlier
// archive whole, and its abandoned temporary file does not survive the
// next Stop.
TEST_F(RunEndTest, ArchiveKilledHalfwayLeavesTheEarlierOneAndTheNextStopCleansUp) {
  const std::string log = m_files.Write("site.log", TelemetryLog(kBigLogBytes));
  const std::string archive = ArchivePathOf(log);
  const std::string earlier = "the day's earlier archive";
  m_files.Write(std::filesystem::path(archive).filename().string(), earlier);

  const std::string program = std::string(PLENX_BIN_DIR) + "/plenx-zip";
  std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>(archive.c_str()),
                             const_cast<char*>(log.c_str()), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t child = -1;
  ASSERT_EQ(posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  // Killed once its archive holds the entry's header and is being filled.
  const bool writing = WaitUntil(
      [&] {
        for (const std::string& name : HiddenFiles(m_files.path())) {
          std::error_code ignored;
          if (std::filesystem::file_size(m_files.Path(name), ignored) > 100) return true;
        }
        return false;
      },
      60000);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  ASSERT_TRUE(writing);
  EXPECT_EQ(ReadFileBytes(archive), earlier);
  EXPECT_EQ(HiddenFiles(m_files.path()).size(), 1u);

  PtyLine line;
  ASSERT_TRUE(line.Valid());
  RunProbe dlg(std::string{});
  StartRun(dlg, line, log);
  ASSERT_TRUE(dlg.StopAndWait(120000));
  EXPECT_TRUE(ArchiveIsSound(archive));
  EXPECT_TRUE(HiddenFiles(m_files.path()).empty());
}

}  // namespace
