// The Events list: newest first, faults and their end set apart by colour
// and an icon, the texts the window showed, and a selection that asks for
// the values of the event's record (a photograph to $PLENX_SCREENSHOT_DIR
// when set).
#include "panels/events_panel.h"

#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QTreeWidget>
#include <cstdlib>
#include <string>
#include <vector>

#include "decode/time_stamp.h"
#include "testkit/temp_folder.h"
#include "tests/ui/process_events.h"
#include "tests/ui/qt_test_application.h"

namespace {

ChangeEvent EventAt(const LocalTime& time, uint64_t record, EventSeverity severity, std::string tab,
                    std::string parameter, std::string before, std::string after) {
  ChangeEvent event;
  event.severity = severity;
  event.time = time;
  event.timeMs = WallClockMs(time);
  event.record = record;
  event.tab = std::move(tab);
  event.parameter = std::move(parameter);
  event.before = std::move(before);
  event.after = std::move(after);
  return event;
}

// True for an icon that draws nothing.
bool IsBlank(const QIcon& icon) {
  const QImage image = icon.pixmap(16, 16).toImage();
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixelColor(x, y).alpha() != 0) return false;
    }
  }
  return true;
}

QString Cell(const QTreeWidgetItem* item, int column) { return item->text(column); }

TEST(EventsPanel, NewestFirstFaultsSetApartAndSelectionAsksForTheRecord) {
  EnsureQtTestApplication();
  std::vector<ChangeEvent> selected;
  std::vector<uint64_t> serials;
  EventsPanel panel(nullptr, {[&](const ChangeEvent& event, uint64_t serial) {
                      selected.push_back(event);
                      serials.push_back(serial);
                    }});
  const std::vector<ChangeEvent> first = {
      EventAt({2015, 3, 7, 14, 5, 9, 542}, 2, EventSeverity::kState, "OUTDOOR", "Compressor", "100 %",
              "Stop"),
      EventAt({2015, 3, 7, 14, 5, 9, 542}, 2, EventSeverity::kFault, "OUTDOOR", "Diagnostic Level",
              "NO Fault", "Overcurrent Compressor"),
  };
  const std::vector<ChangeEvent> second = {
      EventAt({2015, 3, 7, 14, 5, 19, 542}, 0, EventSeverity::kFault, "", "Line", "Receiving",
              "COMMUNICATION ERROR"),
      EventAt({2015, 3, 7, 14, 5, 25, 0}, 3, EventSeverity::kCleared, "OUTDOOR", "Diagnostic Level",
              "Overcurrent Compressor", "NO Fault"),
      EventAt({2015, 3, 7, 14, 5, 25, 0}, 3, EventSeverity::kState, "ZIZU", "Mode [\xb0]", "Heat", "Cool"),
  };
  panel.AddEvents(first);
  panel.AddEvents(second);
  QTreeWidget* list = panel.List();
  ASSERT_EQ(list->topLevelItemCount(), 5);
  // Newest on top: the last event added first, the first added last.
  const QTreeWidgetItem* top = list->topLevelItem(0);
  EXPECT_EQ(Cell(top, EventsPanel::kTimeColumn), QStringLiteral("2015-03-07 14:05:25.000"));
  EXPECT_EQ(Cell(top, EventsPanel::kUnitColumn), QStringLiteral("ZIZU"));
  EXPECT_EQ(Cell(top, EventsPanel::kParameterColumn), QString::fromUtf8("Mode [\u00b0]"));
  EXPECT_EQ(Cell(top, EventsPanel::kChangeColumn), QString::fromUtf8("Heat \u2192 Cool"));
  EXPECT_EQ(Cell(list->topLevelItem(4), EventsPanel::kChangeColumn), QString::fromUtf8("100 % \u2192 Stop"));

  // A fault has an icon and a colour of its own, its end another, a change
  // of state neither.
  const QTreeWidgetItem* fault = list->topLevelItem(3);
  const QTreeWidgetItem* cleared = list->topLevelItem(1);
  const QTreeWidgetItem* state = list->topLevelItem(4);
  EXPECT_EQ(Cell(fault, EventsPanel::kChangeColumn),
            QString::fromUtf8("NO Fault \u2192 Overcurrent Compressor"));
  EXPECT_FALSE(IsBlank(fault->icon(EventsPanel::kTimeColumn)));
  EXPECT_FALSE(IsBlank(cleared->icon(EventsPanel::kTimeColumn)));
  EXPECT_TRUE(IsBlank(state->icon(EventsPanel::kTimeColumn)));
  const QColor faultColour = fault->background(EventsPanel::kChangeColumn).color();
  const QColor clearedColour = cleared->background(EventsPanel::kChangeColumn).color();
  EXPECT_NE(faultColour, clearedColour);
  EXPECT_GT(faultColour.red(), faultColour.green());
  EXPECT_GT(clearedColour.green(), clearedColour.red());
  EXPECT_EQ(state->background(EventsPanel::kChangeColumn).style(), Qt::NoBrush);
  EXPECT_EQ(panel.SummaryText(),
            QStringLiteral("5 events, 2 faults; select one to see the values of its record"));

  list->setCurrentItem(list->topLevelItem(3));
  list->setCurrentItem(list->topLevelItem(2));
  ASSERT_EQ(selected.size(), 2u);
  EXPECT_EQ(selected[0], first[1]);
  EXPECT_EQ(selected[1], second[0]);
  EXPECT_EQ(serials, (std::vector<uint64_t>{1, 2}));

  panel.resize(760, 260);
  panel.show();
  ProcessEventsUntil([&panel] { return panel.isVisible(); });
  const QImage image = panel.grab().toImage();
  const char* folderForScreenshots = std::getenv("PLENX_SCREENSHOT_DIR");
  TempFolder folder;
  const std::string out = folderForScreenshots != nullptr ? std::string(folderForScreenshots) + "/events.png"
                                                          : folder.Path("events.png");
  EXPECT_TRUE(image.save(QString::fromStdString(out), "PNG"));

  // The oldest go from the bottom; the others keep their numbers.
  panel.KeepNewest(3);
  ASSERT_EQ(list->topLevelItemCount(), 3);
  EXPECT_EQ(
      panel.SummaryText(),
      QStringLiteral("3 events, 1 fault (the 2 oldest dropped); select one to see the values of its record"));
  list->setCurrentItem(list->topLevelItem(1));
  EXPECT_EQ(serials.back(), 3u);
  EXPECT_EQ(selected.back(), second[1]);

  panel.Clear();
  EXPECT_EQ(list->topLevelItemCount(), 0);
  EXPECT_EQ(panel.SummaryText(),
            QStringLiteral("0 events, 0 faults; select one to see the values of its record"));
  EXPECT_EQ(selected.size(), 3u);  // emptying the list selects nothing
}

}  // namespace
