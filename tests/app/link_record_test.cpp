// Records and events of the run reaching the main dialog through its face:
// the Value cells, the error box of a failure, the banner, and the release
// of every event still queued when the window goes.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "decode/record_view.h"
#include "run/run_messages.h"
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

using LinkRecordTest = DialogTest;

TEST_F(LinkRecordTest, RecordPostedFromTheReaderThreadFillsTheValueCells) {
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  dlg.BuildLists();
  std::vector<std::vector<std::string>> cellsByUnitIndex;
  for (int unitIndex : {4, 0}) {
    dlg.BuildLists();
    std::thread reader([&] { dlg.PostRecord(PositionRecord(), unitIndex); });
    reader.join();
    ASSERT_TRUE(ProcessEventsUntil([&] { return !dlg.m_outdoorList.GetItemText(9, 1).empty(); }));
    EXPECT_EQ(dlg.m_outdoorList.GetItemText(9, 1), "67");     // p = 67
    EXPECT_EQ(dlg.m_unitLists[0].GetItemText(15, 1), "108");  // unit 0, t = 39: position 69 + 39
    cellsByUnitIndex.push_back(AllCells(dlg));
  }
  // The unit index that comes with a record plays no part.
  EXPECT_EQ(cellsByUnitIndex[0], cellsByUnitIndex[1]);
}

// A failure the run says while its box is still open is not boxed again;
// the records are handled meanwhile, and once the box is closed the next
// such failure is boxed again. A short record fills the rows it reaches.
TEST_F(LinkRecordTest, FailuresShowOneErrorBoxAtATime) {
  ScriptedDialogResponder responder;
  responder.SetPumpWhileOpen(true);
  SetDialogResponder(&responder);
  const std::string improper(kImproperArgumentText);
  {
    DialogProbe dlg(std::string{});
    ASSERT_TRUE(dlg.Create());
    dlg.BuildLists();
    // The second event arrives while the first one's box is open.
    dlg.PostRecord("1,2,3,");
    dlg.PostRunEvent(RunEventKind::kRecordTooShort, improper);
    dlg.PostRunEvent(RunEventKind::kRecordTooShort, improper);
    dlg.PostRecord(PositionRecord());
    dlg.PostRecord("5,6,7,8,9,");
    PumpPostedMessages();
    // p = 3 of the short record
    EXPECT_EQ(dlg.m_outdoorList.GetItemText(0, 1),
              DecodeRecord(dlg.m_config.Layout(), "5,6,7,8,9,").listTexts[0][0]);
    EXPECT_EQ(dlg.m_outdoorList.GetItemText(9, 1), "67");  // the rest as the full one left it
    EXPECT_EQ(dlg.m_unitLists[3].GetItemText(15, 1), "228");
    EXPECT_EQ(responder.MessageBoxes().size(), 1u);
    dlg.PostRunEvent(RunEventKind::kRecordTooShort, improper);
    PumpPostedMessages();
  }
  SetDialogResponder(nullptr);
  ASSERT_EQ(responder.MessageBoxes().size(), 2u);
  for (const MessageBoxRequest& box : responder.MessageBoxes()) {
    EXPECT_EQ(box.text, "Encountered an improper argument.");
    EXPECT_EQ(box.type & kMessageBoxIconMask, MB_ICONERROR);
  }
}

TEST_F(LinkRecordTest, EventsStillQueuedGoWithTheWindow) {
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  dlg.BuildLists();
  for (int i = 0; i < 3; ++i) dlg.PostRunEvent(RunEventKind::kLogWriteFailed, "Disk full");
  dlg.PostRecord(PositionRecord());
  dlg.DestroyWindow();  // the leak checker sees whether the three events were freed
  dlg.PostRunEvent(RunEventKind::kLogWriteFailed, "Disk full");
  dlg.PostRecord(PositionRecord());
}

// The banner follows the run's line events while a run is active, and only
// then: after Stop has begun it stays hidden.
TEST_F(LinkRecordTest, BannerFollowsTheLineOnlyDuringARun) {
  RunProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  dlg.BuildLists();
  dlg.PostRunEvent(RunEventKind::kLineQuiet);
  PumpPostedMessages();
  EXPECT_FALSE(dlg.m_banner.IsWindowVisible());

  dlg.m_started = true;
  dlg.PostRunEvent(RunEventKind::kLineQuiet);
  PumpPostedMessages();
  EXPECT_TRUE(dlg.m_banner.IsWindowVisible());
  dlg.PostRunEvent(RunEventKind::kLineReceiving);
  PumpPostedMessages();
  EXPECT_FALSE(dlg.m_banner.IsWindowVisible());
  dlg.m_stopping = true;
  dlg.PostRunEvent(RunEventKind::kLineQuiet);
  PumpPostedMessages();
  EXPECT_FALSE(dlg.m_banner.IsWindowVisible());
  dlg.m_stopping = false;
  dlg.m_started = false;
}

}  // namespace
