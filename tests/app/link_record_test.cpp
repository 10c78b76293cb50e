// Records reaching the main dialog as the link posts them: the Value cells,
// the log line, the error box of a short record, the watchdog banner, and
// the release of every record text.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/app/run_probe.h"
#include "tests/ui/scripted_dialog_responder.h"
#include "ui/dialog_responder.h"

namespace {

// A default-layout record whose value at every position is the position.
std::string PositionRecord() {
  std::vector<int> values(229);
  for (int i = 0; i < 229; ++i) values[static_cast<size_t>(i)] = i;
  return RecordText(values);
}

// Every cell of every list, list by list.
std::vector<std::string> AllCells(const DialogProbe& dlg) {
  std::vector<std::string> cells;
  auto add = [&cells](const CListCtrl& list) {
    for (int row = 0; row < list.GetItemCount(); ++row) cells.push_back(list.GetItemText(row, 1));
  };
  add(dlg.m_outdoorList);
  for (const CListCtrl& unit : dlg.m_unitLists) add(unit);
  return cells;
}

class LoggingProbe : public DialogProbe {
 public:
  using CTESSAMPLENXLOGGERDlg::m_logFile;
  using DialogProbe::DialogProbe;
};

using LinkRecordTest = DialogTest;

TEST_F(LinkRecordTest, RecordPostedFromTheReaderThreadFillsTheValueCells) {
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  dlg.BuildLists();
  std::vector<std::vector<std::string>> cellsByUnitIndex;
  for (int unitIndex : {4, 0}) {
    dlg.BuildLists();
    bool posted = false;
    std::thread reader([&] {
      posted = dlg.PostRecord(WM_LINK_RECORD, std::make_unique<std::string>(PositionRecord()), unitIndex);
    });
    reader.join();
    ASSERT_TRUE(posted);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !dlg.m_outdoorList.GetItemText(9, 1).empty(); }));
    EXPECT_EQ(dlg.m_outdoorList.GetItemText(9, 1), "67");     // p = 67
    EXPECT_EQ(dlg.m_unitLists[0].GetItemText(15, 1), "108");  // unit 0, t = 39: position 69 + 39
    cellsByUnitIndex.push_back(AllCells(dlg));
  }
  // The unit index that comes with a record plays no part.
  EXPECT_EQ(cellsByUnitIndex[0], cellsByUnitIndex[1]);
}

TEST_F(LinkRecordTest, RecordIsLoggedAsReceived) {
  LoggingProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  dlg.BuildLists();
  dlg.m_config.logFileName = m_files.path() + "/run.log";
  ASSERT_EQ(dlg.m_logFile.OpenLog(dlg, dlg.m_config.logFileName), 0);
  const std::string record = PositionRecord();
  dlg.PostRecord(WM_LINK_RECORD, std::make_unique<std::string>(record), 1);
  PumpPostedMessages();
  dlg.m_logFile.CloseLog();
  std::ifstream log(dlg.m_config.logFileName, std::ios::binary);
  std::stringstream content;
  content << log.rdbuf();
  const std::string line = content.str();
  ASSERT_GE(line.size(), record.size() + 2);
  EXPECT_EQ(line.substr(line.size() - record.size() - 2), record + "\r\n");
}

// One box for the short records that arrive while it is open; the records
// are handled meanwhile, and once it is closed a short record is boxed again.
TEST_F(LinkRecordTest, ShortRecordsShowOneErrorBoxAtATime) {
  ScriptedDialogResponder responder;
  responder.SetPumpWhileOpen(true);
  SetDialogResponder(&responder);
  {
    DialogProbe dlg(std::string{});
    ASSERT_TRUE(dlg.Create());
    dlg.BuildLists();
    // The second short record arrives while the first one's box is open.
    for (const std::string& record : {std::string("1,2,3,"), std::string("5,6,7,8,9,"), PositionRecord()}) {
      dlg.PostRecord(WM_LINK_RECORD, std::make_unique<std::string>(record), 0);
    }
    PumpPostedMessages();
    EXPECT_EQ(dlg.m_outdoorList.GetItemText(9, 1), "67");
    EXPECT_EQ(dlg.m_unitLists[3].GetItemText(15, 1), "228");
    EXPECT_EQ(responder.MessageBoxes().size(), 1u);
    dlg.PostRecord(WM_LINK_RECORD, std::make_unique<std::string>("1,2,3,"), 0);
    PumpPostedMessages();
  }
  SetDialogResponder(nullptr);
  ASSERT_EQ(responder.MessageBoxes().size(), 2u);
  for (const MessageBoxRequest& box : responder.MessageBoxes()) {
    EXPECT_EQ(box.text, "Encountered an improper argument.");
    EXPECT_EQ(box.type & kMessageBoxIconMask, MB_ICONERROR);
  }
}

TEST_F(LinkRecordTest, RecordsStillQueuedGoWithTheWindow) {
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(dlg.PostRecord(WM_LINK_RECORD, std::make_unique<std::string>(PositionRecord()), i));
  }
  dlg.DestroyWindow();  // the leak checker sees whether the three texts were freed
  EXPECT_FALSE(dlg.PostRecord(WM_LINK_RECORD, std::make_unique<std::string>(PositionRecord()), 0));
}

// The watchdog is precise, so the banner shows 10 s after the last record,
// not up to half a second early or late; records handled outside a run
// (queued before Stop) do not start it.
TEST_F(LinkRecordTest, WatchdogShowsTheBannerOnlyDuringARun) {
  RunProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  dlg.OnTimer(kWatchdogTimerId);
  EXPECT_FALSE(dlg.m_banner.IsWindowVisible());
  dlg.PostRecord(WM_LINK_RECORD, std::make_unique<std::string>(PositionRecord()), 0);
  PumpPostedMessages();
  EXPECT_EQ(dlg.Watchdog(), nullptr);

  dlg.m_started = true;
  dlg.OnTimer(kWatchdogTimerId + 1);
  EXPECT_FALSE(dlg.m_banner.IsWindowVisible());
  dlg.OnTimer(kWatchdogTimerId);
  EXPECT_TRUE(dlg.m_banner.IsWindowVisible());
  dlg.PostRecord(WM_LINK_RECORD, std::make_unique<std::string>(PositionRecord()), 0);
  PumpPostedMessages();
  EXPECT_FALSE(dlg.m_banner.IsWindowVisible());
  const QTimer* watchdog = dlg.Watchdog();
  ASSERT_NE(watchdog, nullptr);
  EXPECT_EQ(watchdog->timerType(), Qt::PreciseTimer);
  dlg.m_started = false;
}

}  // namespace
