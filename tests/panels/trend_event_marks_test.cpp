// Events on the trend chart's time axis: a mark within the range is drawn
// in its severity's colour, and the cursor near it shows its text.
#include <gtest/gtest.h>

#include <QImage>
#include <vector>

#include "decode/time_stamp.h"
#include "panels/trend_chart_view.h"
#include "tests/ui/process_events.h"
#include "tests/ui/qt_test_application.h"

namespace {

ChangeEvent EventAt(int64_t timeMs, EventSeverity severity, std::string after) {
  ChangeEvent event;
  event.severity = severity;
  event.timeMs = timeMs;
  event.time = WallClockTime(timeMs);
  event.tab = "OUTDOOR";
  event.parameter = "Diagnostic Level";
  event.before = "NO Fault";
  event.after = std::move(after);
  return event;
}

TEST(TrendEventMarks, DrawnInTheirColourAndNamedNearTheCursor) {
  EnsureQtTestApplication();
  TrendChartView chart;
  chart.resize(800, 400);
  chart.show();
  ASSERT_TRUE(ProcessEventsUntil([&] { return chart.isVisible(); }));
  const int64_t fromMs = WallClockMs(LocalTime{2015, 3, 7, 14, 0, 0, 0});
  chart.ShowRange(fromMs, fromMs + 60'000);
  const std::vector<ChangeEvent> events = {
      EventAt(fromMs + 30'000, EventSeverity::kFault, "Overcurrent Compressor"),
      EventAt(fromMs + 120'000, EventSeverity::kCleared, "NO Fault")};
  chart.AddEventMarks(events);
  EXPECT_EQ(chart.EventMarkCount(), 2u);

  // The fault's mark halfway along the plot; the other is out of range.
  const QRectF area = chart.chart()->plotArea();
  const QPoint middle = chart.mapFromScene(QPointF(area.center().x(), area.center().y()));
  EXPECT_EQ(chart.EventMarksNear(middle.x()),
            QString::fromUtf8("14:00:30 OUTDOOR / Diagnostic Level: NO Fault \u2192 Overcurrent Compressor"));
  EXPECT_EQ(chart.EventMarksNear(middle.x() + 20), QString());
  EXPECT_EQ(chart.EventMarksNear(chart.mapFromScene(area.topRight()).x()), QString());

  const QImage image = chart.grab().toImage();
  const QColor fault = TrendEventMarkColour(EventSeverity::kFault);
  int faultPixels = 0;
  for (int dx = -2; dx <= 2; ++dx) {
    if (image.pixelColor(middle.x() + dx, middle.y()) == fault) ++faultPixels;
  }
  EXPECT_GT(faultPixels, 0);

  chart.ClearEventMarks();
  EXPECT_EQ(chart.EventMarksNear(middle.x()), QString());
}

}  // namespace
