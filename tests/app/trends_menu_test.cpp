// The window menu's Trends entry: one trends window, charting each record
// the lists show from the run's start (also those before it was first
// opened), with the numbers behind the lists' texts, and emptied when a
// run or a replay starts.
#include <gtest/gtest.h>

#include <QApplication>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "decode/log_line.h"
#include "decode/outdoor_rules.h"
#include "decode/replay_pacer.h"
#include "decode/shown_params.h"
#include "decode/time_stamp.h"
#include "panels/trend_window.h"
#include "tests/app/dialog_probe.h"

namespace {

using TrendsMenuTest = DialogTest;

TrendWindow* OpenTrendWindow() {
  TrendWindow* found = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* window = dynamic_cast<TrendWindow*>(widget); window != nullptr && window->isVisible()) {
      EXPECT_EQ(found, nullptr) << "more than one trends window";
      found = window;
    }
  }
  return found;
}

TEST_F(TrendsMenuTest, TrendsWindowChartsTheRecordsTheListsShow) {
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  dlg.BuildLists();
  EXPECT_EQ(OpenTrendWindow(), nullptr);

  // Records before the window was first opened are charted too.
  std::vector<int> values(229);
  for (int i = 0; i < 229; ++i) values[static_cast<size_t>(i)] = 37 * i + 5;
  values[kCompressorParam] = 2247;  // running (41 %), so that its text is a number
  for (int record = 0; record < 3; ++record) {
    dlg.PostRecord(RecordText(values), 0);
  }
  PumpPostedMessages();
  dlg.OnSysCommand(kTrendsCommand, 0);
  TrendWindow* trends = OpenTrendWindow();
  ASSERT_NE(trends, nullptr);
  const TrendTable& table = trends->RunTable();
  ASSERT_EQ(table.Size(), 3u);
  // The default lines are the outdoor list's rows, and each value is the
  // list's text unrounded.
  const std::vector<std::vector<ShownRow>> lists = ListRows(dlg.m_config.Layout());
  const std::vector<ShownRow>& outdoorRows = lists[kOutdoorListIndex];
  const std::vector<size_t> defaults = DefaultTrendColumns(table);
  ASSERT_EQ(defaults.size(), 4u);
  for (const size_t column : defaults) {
    const TrendColumn& head = table.Columns()[column];
    size_t row = 0;
    while (row < outdoorRows.size() && outdoorRows[row].param != head.param) ++row;
    ASSERT_LT(row, outdoorRows.size());
    const std::string text = dlg.m_outdoorList.GetItemText(static_cast<int>(row), 1);
    SCOPED_TRACE(head.label + ": " + text);
    EXPECT_NEAR(table.Values(column).back(), std::stod(text), 0.05 + 1e-4);
  }

  // The entry again shows the same window; closed, it keeps collecting.
  dlg.OnSysCommand(kTrendsCommand, 0);
  EXPECT_EQ(OpenTrendWindow(), trends);
  trends->close();
  dlg.PostRecord(RecordText(values), 0);
  PumpPostedMessages();
  EXPECT_EQ(trends->RunTable().Size(), 4u);

  // A replay begins a chart of its own records.
  const LocalTime logged{2015, 3, 7, 12, 0, 0, 0};
  ASSERT_TRUE(dlg.StartReplay(m_files.Write("site.log", FormatLogLine(logged, RecordText(values))),
                              kAsFastAsPossible));
  ASSERT_TRUE(ProcessEventsUntil([&] { return !dlg.IsReplaying(); }));
  ASSERT_EQ(table.Size(), 1u);
  EXPECT_EQ(table.TimesMs().front(), WallClockMs(logged));
}

}  // namespace
