// Logging runs: Start and Stop over a pseudo-terminal standing in for the
// serial line, the archive Stop writes, the ways Start refuses, and the log
// file choice.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "archive/log_archive_name.h"
#include "config/persisted_settings.h"
#include "platform/append_file.h"
#include "platform/posix_io.h"
#include "testkit/pty_line.h"
#include "tests/app/run_probe.h"
#include "tests/ui/scripted_dialog_responder.h"
#include "ui/dialog_responder.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

class RunControlTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    SetDialogResponder(&m_responder);
  }
  void TearDown() override { SetDialogResponder(nullptr); }

  ScriptedDialogResponder m_responder;
};

TEST_F(RunControlTest, RunShowsRecordsLogsThemAndArchivesTheLogAtStop) {
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  const std::string log = m_files.path() + "/site.log";
  RunProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  dlg.m_config.portName = line.SlavePath();  // a device path stands for itself
  dlg.m_config.logFileName = log;

  dlg.Click(kStartButtonId);
  ASSERT_TRUE(dlg.m_started);
  EXPECT_TRUE(dlg.m_banner.IsWindowVisible());
  for (int id : {kViewFrameId, kPortComboId, kSaveAsButtonId, kPortLabelId})
    EXPECT_FALSE(dlg.Shown(id)) << id;
  EXPECT_EQ(ReadPortSetting(), line.SlavePath());
  EXPECT_EQ(ReadLogFileSetting(), log);

  ASSERT_TRUE(line.Write(PositionFrame()));
  ASSERT_TRUE(ProcessEventsUntil([&] { return !dlg.m_outdoorList.GetItemText(9, 1).empty(); }));
  EXPECT_EQ(dlg.m_outdoorList.GetItemText(9, 1), "67");
  EXPECT_FALSE(dlg.m_banner.IsWindowVisible());

  dlg.Click(kStartButtonId);
  ASSERT_EQ(m_responder.MessageBoxes().size(), 1u);
  EXPECT_EQ(m_responder.MessageBoxes()[0].text, "Already started");

  ASSERT_TRUE(dlg.StopAndWait());
  EXPECT_FALSE(dlg.m_run->IsActive());
  EXPECT_FALSE(dlg.m_banner.IsWindowVisible());
  for (int id : {kViewFrameId, kPortComboId, kSaveAsButtonId, kPortLabelId}) EXPECT_TRUE(dlg.Shown(id)) << id;
  EXPECT_EQ(dlg.m_outdoorList.GetItemText(9, 1), "67");  // the last values stay

  const std::string logText = ReadFile(log);
  EXPECT_NE(logText.find("   -   0,1,2,3,"), std::string::npos) << logText;
  const std::optional<LogArchiveName> archive = LogArchiveNameFor(log, ReadLocalTime());
  ASSERT_TRUE(archive);
  ASSERT_TRUE(std::filesystem::exists(archive->archivePath));
  const std::string listing = "unzip -Z1 '" + archive->archivePath + "' > '" + m_files.path() + "/listing'";
  if (std::system("command -v unzip > /dev/null") == 0) {
    ASSERT_EQ(std::system(listing.c_str()), 0);
    EXPECT_EQ(ReadFile(m_files.path() + "/listing"), "site.log\n");
  }

  // A second Stop does nothing.
  std::filesystem::remove(archive->archivePath);
  dlg.Click(kStopButtonId);
  PumpPostedMessages();
  EXPECT_FALSE(dlg.m_stopping);
  EXPECT_FALSE(std::filesystem::exists(archive->archivePath));
}

// A first run without a remembered log: no log, the empty name remembered
// over an older one, and no archive (no "<date>_.zip" in the current folder).
TEST_F(RunControlTest, RunWithoutLogFileNameKeepsNoLogAndWritesNoArchive) {
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  RunProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  ASSERT_EQ(dlg.m_config.logFileName, "");
  WriteLogFileSetting("earlier.log");  // after start-up read the empty one
  dlg.m_config.portName = line.SlavePath();
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(m_files.path());

  dlg.Click(kStartButtonId);
  const bool started = dlg.m_started;
  // Said in the window, not in a box: a run without a log is allowed.
  const std::string stateDuringRun = dlg.m_stateLine.Text();
  const std::string rememberedLog = ReadLogFileSetting();
  const bool recordShown = line.Write(PositionFrame()) &&
                           ProcessEventsUntil([&] { return !dlg.m_outdoorList.GetItemText(9, 1).empty(); });
  const bool stopped = dlg.StopAndWait();
  std::filesystem::current_path(previous);

  EXPECT_TRUE(started);
  EXPECT_TRUE(recordShown);
  EXPECT_TRUE(stopped);
  EXPECT_EQ(stateDuringRun, kRunNotRecordedText);
  EXPECT_EQ(dlg.m_stateLine.Text(), "");
  EXPECT_EQ(rememberedLog, "");
  EXPECT_TRUE(m_responder.MessageBoxes().empty());
  EXPECT_TRUE(std::filesystem::is_empty(m_files.path()));
}

TEST_F(RunControlTest, StartRefusals) {
  const std::string log = m_files.path() + "/existing.log";
  m_files.Write("existing.log", "earlier run\r\n");
  WritePortSetting("COM7");
  RunProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  dlg.m_config.logFileName = log;

  // Declining to append: no run and no further message.
  m_responder.QueueMessageBoxAnswer(IDNO);
  dlg.Click(kStartButtonId);
  EXPECT_FALSE(dlg.m_started);
  ASSERT_EQ(m_responder.MessageBoxes().size(), 1u);
  EXPECT_EQ(m_responder.MessageBoxes()[0].type, MB_YESNOCANCEL) << "Yes, No, Cancel and no icon";

  // A port that does not open: the message, no remembered change, and the
  // log file closed again.
  dlg.m_config.portName = m_files.path() + "/no-such-tty";
  m_responder.QueueMessageBoxAnswer(IDYES);
  dlg.Click(kStartButtonId);
  EXPECT_FALSE(dlg.m_started);
  ASSERT_EQ(m_responder.MessageBoxes().size(), 3u);
  EXPECT_EQ(m_responder.MessageBoxes()[2].text,
            "Error opening COM port\n" + dlg.m_config.portName + ": no such device. Plug in the adapter.");
  const int otherWriter = OpenLockedForAppend(log);
  EXPECT_GE(otherWriter, 0) << "the log was left open";
  CloseFile(otherWriter);
  EXPECT_EQ(ReadPortSetting(), "COM7");
  EXPECT_EQ(ReadLogFileSetting(), "");
  EXPECT_TRUE(dlg.Shown(kPortComboId));
}

TEST_F(RunControlTest, SaveAsSetsTheLogFileNameOnlyWhenConfirmed) {
  RunProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  const std::string chosen = m_files.path() + "/chosen";
  m_responder.QueueSaveFileAnswer(chosen);
  dlg.Click(kSaveAsButtonId);
  EXPECT_EQ(dlg.m_config.logFileName, chosen);
  EXPECT_EQ(dlg.m_logNameEdit.GetWindowText(), chosen);
  EXPECT_EQ(ReadLogFileSetting(), "");  // remembered only by the next Start

  m_responder.QueueSaveFileAnswer(std::nullopt);
  dlg.Click(kSaveAsButtonId);
  EXPECT_EQ(dlg.m_config.logFileName, chosen);

  ASSERT_EQ(m_responder.SaveFileDialogs().size(), 2u);
  const SaveFileRequest& request = m_responder.SaveFileDialogs()[0];
  ASSERT_EQ(request.filters.size(), 2u);
  EXPECT_EQ(request.filters[0].description, "All");
  EXPECT_EQ(request.filters[0].pattern, "*.*");
  EXPECT_EQ(request.filters[1].description, "Log files");
  EXPECT_EQ(request.filters[1].pattern, "*.log");
  EXPECT_EQ(request.filterIndex, 2);
  EXPECT_EQ(request.flags, OFN_PATHMUSTEXIST);
  EXPECT_EQ(request.initialFile, "");
  EXPECT_EQ(request.fileBufferBytes, 260);
}

TEST_F(RunControlTest, RememberedPortSelectsItsItemOrElseComOne) {
  const std::pair<const char*, const char*> cases[] = {{"COM24", "COM24"}, {"COM3", "COM3"},
                                                       {"COM25", "COM1"},  {"com3", "COM1"},
                                                       {"COM0", "COM1"},   {"", "COM1"}};
  for (const auto& [remembered, selected] : cases) {
    SCOPED_TRACE(remembered);
    WritePortSetting(remembered);
    RunProbe dlg(std::string{});
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(dlg.m_portCombo.GetCount(), 24);
    EXPECT_EQ(dlg.m_config.portName, selected);
  }
}

TEST_F(RunControlTest, ChoosingAPortSetsThePortNameWithoutRememberingIt) {
  WritePortSetting("COM3");
  RunProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QCoreApplication::sendEvent(dlg.m_portCombo.GetWidget(), &down);
  EXPECT_EQ(dlg.m_portCombo.GetCurSel(), 3);
  EXPECT_EQ(dlg.m_config.portName, "COM4");
  EXPECT_EQ(ReadPortSetting(), "COM3");  // remembered only by the next Start
}

}  // namespace
