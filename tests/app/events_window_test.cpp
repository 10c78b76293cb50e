// The window menu's Events entry: the run's events, kept from its start
// whenever the window opens and until the next start, newest first, the
// values at a selected event's record, and marks on the trends' time axis.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTreeWidget>
#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "decode/log_line.h"
#include "decode/outdoor_rules.h"
#include "decode/replay_pacer.h"
#include "panels/events_panel.h"
#include "panels/trend_chart_view.h"
#include "panels/trend_window.h"
#include "tests/app/dialog_probe.h"

namespace {

using EventsWindowTest = DialogTest;

template <typename Window>
Window* ShownWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* window = dynamic_cast<Window*>(widget); window != nullptr && window->isVisible()) return window;
  }
  return nullptr;
}

// A log line at 12:00 plus seconds whose outdoor diagnostic level is code.
std::string LineWithDiagnostic(int seconds, int code) {
  std::vector<int> values(229, 0);
  values[kDiagnosticLevelParam] = code;
  return FormatLogLine(LocalTime{2015, 3, 7, 12, 0, seconds, 0}, RecordText(values));
}

TEST_F(EventsWindowTest, ListsTheRunsEventsWithTheValuesAtEachAndMarksThemOnTheTrends) {
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  // A trip at the third record, cleared at the fifth; a replay as fast as
  // possible, over before the Events window opens.
  const std::string log = m_files.Write("trip.log", LineWithDiagnostic(0, 0) + LineWithDiagnostic(1, 0) +
                                                        LineWithDiagnostic(2, 7) + LineWithDiagnostic(3, 7) +
                                                        LineWithDiagnostic(4, 0));
  ASSERT_TRUE(dlg.StartReplay(log, kAsFastAsPossible));
  ASSERT_TRUE(ProcessEventsUntil([&] { return !dlg.IsReplaying(); }));

  dlg.OnSysCommand(kEventsCommand, 0);
  EventsPanel* panel = ShownWindow<EventsPanel>();
  ASSERT_NE(panel, nullptr);
  QTreeWidget* list = panel->List();
  const QString stopped = QString::fromUtf8("Started \u2192 Stopped");
  const auto listed = [&] {
    std::string all;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* item = list->topLevelItem(i);
      all += (item->text(EventsPanel::kParameterColumn) + QStringLiteral(": ") +
              item->text(EventsPanel::kChangeColumn) + QLatin1Char('\n'))
                 .toStdString();
    }
    return all;
  };
  ASSERT_TRUE(ProcessEventsUntil([&] { return list->topLevelItemCount() == 4; })) << listed();
  // Newest first: Stop, the return to normal, the trip, the start.
  EXPECT_EQ(list->topLevelItem(0)->text(EventsPanel::kChangeColumn), stopped);
  EXPECT_EQ(list->topLevelItem(1)->text(EventsPanel::kChangeColumn),
            QString::fromUtf8("Overcurrent Compressor \u2192 NO Fault"));
  QTreeWidgetItem* trip = list->topLevelItem(2);
  EXPECT_EQ(trip->text(EventsPanel::kChangeColumn),
            QString::fromUtf8("NO Fault \u2192 Overcurrent Compressor"));
  EXPECT_EQ(panel->EventOf(trip).severity, EventSeverity::kFault);

  // The trip shows the values of its own record, its row marked; Stop
  // those of the last record; the start has none before it.
  const auto valueOf = [&](int tab, const QString& parameter) {
    const QTreeWidgetItem* tabItem = panel->Values()->topLevelItem(tab);
    for (int row = 0; tabItem != nullptr && row < tabItem->childCount(); ++row) {
      if (tabItem->child(row)->text(EventsPanel::kValueParameterColumn) == parameter)
        return tabItem->child(row)->text(EventsPanel::kValueColumn);
    }
    return QStringLiteral("(no row)");
  };
  const QString diagnostic = trip->text(EventsPanel::kParameterColumn);
  list->setCurrentItem(trip);
  EXPECT_EQ(panel->ValuesHeading(), QStringLiteral("Values of record 3 at 2015-03-07 12:00:02.000"));
  EXPECT_EQ(valueOf(kOutdoorListIndex, diagnostic), QStringLiteral("Overcurrent Compressor"));
  EXPECT_EQ(panel->Values()->topLevelItemCount(), dlg.m_tabs.GetItemCount());
  list->setCurrentItem(list->topLevelItem(0));
  EXPECT_EQ(panel->ValuesHeading(),
            QStringLiteral("Values of record 5 at 2015-03-07 12:00:04.000, the last before this event"));
  EXPECT_EQ(valueOf(kOutdoorListIndex, diagnostic), QStringLiteral("NO Fault"));
  list->setCurrentItem(list->topLevelItem(3));
  EXPECT_EQ(panel->ValuesHeading(), QStringLiteral("No record before this event."));
  EXPECT_EQ(panel->Values()->topLevelItemCount(), 0);

  // Trends opened later marks every event kept.
  dlg.OnSysCommand(kTrendsCommand, 0);
  TrendWindow* trends = ShownWindow<TrendWindow>();
  ASSERT_NE(trends, nullptr);
  EXPECT_EQ(trends->Chart()->EventMarkCount(), 4u);

  // The next run's start empties both; its events follow as they come.
  ASSERT_TRUE(dlg.StartReplay(m_files.Write("calm.log", LineWithDiagnostic(0, 0) + LineWithDiagnostic(1, 0)),
                              kAsFastAsPossible));
  ASSERT_TRUE(ProcessEventsUntil([&] {
    return !dlg.IsReplaying() && list->topLevelItemCount() == 2 &&
           list->topLevelItem(0)->text(EventsPanel::kChangeColumn) == stopped;
  })) << list->topLevelItemCount();
  EXPECT_EQ(trends->Chart()->EventMarkCount(), 2u);
  EXPECT_EQ(panel->ValuesHeading(), QStringLiteral("Select an event to see the values of its record."));
}

}  // namespace
