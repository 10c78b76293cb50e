// Replay in the window: the window menu's "Replay a log..." shows a log's
// records through the live record handler without logging, Start is
// disabled and Stop ends the replay, and the banner follows the recorded
// gaps at the chosen speed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <filesystem>
#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "decode/log_line.h"
#include "decode/record_view.h"
#include "panels/replay_panel.h"
#include "tests/app/dialog_probe.h"

namespace {

class ReplayProbe : public DialogProbe {
 public:
  using CTESSAMPLENXLOGGERDlg::OnBnClickedStart;
  using CTESSAMPLENXLOGGERDlg::OnBnClickedStop;
  using DialogProbe::DialogProbe;

  std::optional<std::string> ChooseLogToReplay() override {
    ++choices;
    return chosenLog;
  }

  bool IsEnabled(int id) { return GetDlgItem(id)->IsWindowEnabled() != FALSE; }

  std::optional<std::string> chosenLog;
  int choices = 0;
};

ReplayPanel* OpenReplayPanel() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* panel = dynamic_cast<ReplayPanel*>(widget); panel != nullptr && panel->isVisible())
      return panel;
  }
  return nullptr;
}

// Records of the default layout, distinct by index.
std::string Record(int index) {
  std::vector<int> values(229);
  for (size_t k = 0; k < values.size(); ++k) values[k] = static_cast<int>((index * 31 + k * 3) % 900);
  return RecordText(values);
}

// A log line of Record(index) stamped 2015/03/07 12:00:00 plus seconds.
std::string LogLineAt(int seconds, int index) {
  return FormatLogLine(LocalTime{2015, 3, 7, 12, seconds / 60, seconds % 60, 0}, Record(index));
}

class ReplayControlTest : public DialogTest {
 protected:
  // The Value texts of the outdoor list now.
  static std::vector<std::string> OutdoorValues(ReplayProbe& dlg) {
    std::vector<std::string> values;
    for (int row = 0; row < dlg.m_outdoorList.GetItemCount(); ++row)
      values.push_back(dlg.m_outdoorList.GetItemText(row, 1));
    return values;
  }
  static std::vector<std::string> ExpectedOutdoorValues(ReplayProbe& dlg, int index) {
    return DecodeRecord(dlg.m_config.Layout(), Record(index)).listTexts[0];
  }
};

TEST_F(ReplayControlTest, MenuReplayShowsRecordsWithoutLoggingAndStopEndsIt) {
  ReplayProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  const std::string liveLog = m_files.Path("live.log");
  dlg.m_config.logFileName = liveLog;
  // The second record an hour later: the replay at 1x waits for it.
  dlg.chosenLog = m_files.Write("site.log", LogLineAt(0, 1) + LogLineAt(3599, 2));
  dlg.OnSysCommand(kReplayLogCommand, 0);
  ASSERT_TRUE(ProcessEventsUntil([&] { return dlg.m_outdoorList.GetItemText(0, 1) != ""; }));
  EXPECT_EQ(OutdoorValues(dlg), ExpectedOutdoorValues(dlg, 1));
  EXPECT_TRUE(dlg.IsReplaying());
  EXPECT_TRUE(dlg.IsRunActive());
  EXPECT_FALSE(dlg.IsEnabled(kStartButtonId));
  EXPECT_TRUE(dlg.IsEnabled(kStopButtonId));
  EXPECT_FALSE(dlg.m_banner.IsWindowVisible());
  ReplayPanel* panel = OpenReplayPanel();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->PositionText(), "2015/03/07 12:00:00.000  (record 1)");

  // Neither a second replay nor a run starts meanwhile.
  dlg.OnSysCommand(kReplayLogCommand, 0);
  EXPECT_EQ(dlg.choices, 1);
  dlg.OnBnClickedStart();
  EXPECT_FALSE(dlg.m_started);

  dlg.OnBnClickedStop();
  EXPECT_FALSE(dlg.IsReplaying());
  EXPECT_FALSE(dlg.IsRunActive());
  EXPECT_TRUE(dlg.IsEnabled(kStartButtonId));
  EXPECT_EQ(OutdoorValues(dlg), ExpectedOutdoorValues(dlg, 1));  // the last values stay
  EXPECT_FALSE(dlg.ReplayFailed());
  // No log and no archive: the folder holds the replayed log only.
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(m_files.path()))
    files.push_back(entry.path().filename().string());
  EXPECT_EQ(files, std::vector<std::string>{"site.log"});
  EXPECT_NE(panel->PositionText().indexOf("end of the log"), -1);
  EXPECT_FALSE(panel->PauseButton()->isEnabled());
}

TEST_F(ReplayControlTest, BannerFollowsARecordedGapAtTheChosenSpeed) {
  ReplayProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  // 30 s of silence at 60x: the banner after 10 s / 60, the next record
  // after 30 s / 60.
  ASSERT_TRUE(dlg.StartReplay(m_files.Write("gap.log", LogLineAt(0, 1) + LogLineAt(30, 2)), 60));
  ASSERT_TRUE(ProcessEventsUntil([&] { return dlg.m_banner.IsWindowVisible() != FALSE; }));
  EXPECT_TRUE(dlg.IsReplaying());
  EXPECT_EQ(OutdoorValues(dlg), ExpectedOutdoorValues(dlg, 1));
  ASSERT_TRUE(ProcessEventsUntil([&] { return !dlg.IsReplaying(); }));
  EXPECT_FALSE(dlg.m_banner.IsWindowVisible());
  EXPECT_EQ(OutdoorValues(dlg), ExpectedOutdoorValues(dlg, 2));
}

TEST_F(ReplayControlTest, PausedReplayResumesFromTheControlWindow) {
  ReplayProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  ASSERT_TRUE(dlg.StartReplay(m_files.Write("two.log", LogLineAt(0, 1) + LogLineAt(3599, 2)), 1));
  ReplayPanel* panel = OpenReplayPanel();
  ASSERT_NE(panel, nullptr);
  ASSERT_TRUE(ProcessEventsUntil([&] { return dlg.m_outdoorList.GetItemText(0, 1) != ""; }));
  panel->PauseButton()->click();
  EXPECT_TRUE(panel->IsPaused());
  // As fast as possible while paused still waits for Resume.
  panel->SpeedList()->setCurrentIndex(3);
  QCoreApplication::processEvents();
  EXPECT_TRUE(dlg.IsReplaying());
  EXPECT_EQ(OutdoorValues(dlg), ExpectedOutdoorValues(dlg, 1));
  panel->PauseButton()->click();
  ASSERT_TRUE(ProcessEventsUntil([&] { return !dlg.IsReplaying(); }));
  EXPECT_EQ(OutdoorValues(dlg), ExpectedOutdoorValues(dlg, 2));
}

}  // namespace
