// The trends window: a log read on its worker and drawn whole, a run
// followed record by record, the files it saves, the failures it names,
// and a photograph of a defrost cycle (to $PLENX_SCREENSHOT_DIR when set).
#include "panels/trend_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QChart>
#include <QImage>
#include <QListWidget>
#include <QScreen>
#include <QValueAxis>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "decode/outdoor_rules.h"
#include "decode/record_decoder.h"
#include "decode/shown_params.h"
#include "decode/time_stamp.h"
#include "panels/panel_text.h"
#include "panels/trend_chart_view.h"
#include "panels/window_placement.h"
#include "testkit/simulated_log.h"
#include "testkit/temp_folder.h"
#include "tests/ui/process_events.h"
#include "tests/ui/qt_test_application.h"

namespace {

const LocalTime kStart{2015, 3, 7, 14, 0, 0, 0};

// A log is read on a worker; under a sanitizer on a loaded machine that can
// take a while.
constexpr int kLogReadTimeoutMs = 30000;

LoggerConfig DefaultConfig() {
  LoggerConfig config;
  config.Load("");
  return config;
}

// A window of the run's table, whose failures are collected instead of boxed.
struct WindowUnderTest {
  WindowUnderTest() : runTable(DefaultConfig(), kRunTrendBound), window(DefaultConfig(), runTable) {
    window.onError = [this](const QString& text) { errors.push_back(text.toStdString()); };
    window.show();
    window.resize(1000, 560);
  }
  // Opens path and waits until it is read.
  void Open(const std::string& path) {
    window.OpenLog(path);
    ASSERT_TRUE(ProcessEventsUntil([this] { return !window.ReadingLog(); }, kLogReadTimeoutMs));
  }
  // Appends a record of the run as the dialog does: decoded once, its
  // numbers by the rows of the layout.
  void AddRunRecord(const LocalTime& time, const std::string& recordText) {
    RecordDecoder decoder(RecordLayout{});
    const size_t filledRows = decoder.Load(recordText);
    std::vector<double> numbers(decoder.RowCount());
    for (size_t row = 0; row < filledRows; ++row) numbers[row] = decoder.Value(row);
    runTable.AppendDecoded(WallClockMs(time), numbers, filledRows);
    window.RecordsAdded();
  }
  TrendTable runTable;
  TrendWindow window;
  std::vector<std::string> errors;
};

std::string ReadFile(const std::string& path) {
  std::string bytes;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    std::fclose(file);
  }
  return bytes;
}

size_t CountLines(const std::string& text) {
  size_t lines = 0;
  for (const char c : text) lines += c == '\n' ? 1 : 0;
  return lines;
}

TEST(TrendWindow, DrawsAWholeLogWithAFewPointsPerPixelColumn) {
  EnsureQtTestApplication();
  TempFolder folder;
  const int64_t records = 20'000;  // 2 h 40 min
  const std::string path =
      folder.Write("site.log", "a note typed into the log\r\n" + SimulatedLog(kStart, records, 3));
  WindowUnderTest test;
  test.Open(path);
  ASSERT_TRUE(test.errors.empty());
  TrendWindow& window = test.window;
  EXPECT_FALSE(window.ShowsRun());
  const TrendTable& table = window.ShownTable();
  ASSERT_EQ(table.Size(), static_cast<size_t>(records));
  EXPECT_NE(window.StatusText().toStdString().find("1 lines skipped, the first line 1"), std::string::npos)
      << window.StatusText().toStdString();

  // The whole log is shown, with the default parameters.
  TrendChartView& chart = *window.Chart();
  EXPECT_EQ(chart.FromMs(), table.TimesMs().front());
  EXPECT_EQ(chart.ToMs(), table.TimesMs().back());
  EXPECT_EQ(chart.Columns(), DefaultTrendColumns(table));
  ASSERT_EQ(chart.Columns().size(), 4u);
  // At most four points per pixel column and line: the plot is far
  // narrower than 20 000 records.
  EXPECT_GT(chart.DrawnPointCount(), 0u);
  EXPECT_LE(chart.DrawnPointCount(), 4u * 1000u * chart.Columns().size());

  // The cursor's text holds the values of the nearest record.
  const size_t record = 1234;
  const std::string text = chart.TextAt(table.TimesMs()[record] + 100).toStdString();
  EXPECT_NE(text.find(TrendTimeText(table.TimesMs()[record]).toStdString()), std::string::npos) << text;
  const size_t discharge = static_cast<size_t>(table.ColumnOf(kOutdoorListIndex, kDischargeTemperatureParam));
  EXPECT_NE(
      text.find(TrendValueText(table.Values(discharge)[record], ValueQuantity::kFahrenheit).toStdString()),
      std::string::npos)
      << text;

  // Zoomed in, the visible range goes out as CSV: a header and its records.
  const int64_t from = table.TimesMs()[100];
  const int64_t to = table.TimesMs()[199];
  chart.ShowRange(from, to);
  const std::string csvPath = folder.Path("range.csv");
  ASSERT_EQ(window.SaveVisibleCsv(csvPath), "");
  const std::string csv = ReadFile(csvPath);
  EXPECT_EQ(CountLines(csv), 101u);
  EXPECT_EQ(csv.rfind("Time,", 0), 0u);

  const std::string pngPath = folder.Path("chart.png");
  ASSERT_EQ(window.SavePng(pngPath), "");
  QImage image;
  ASSERT_TRUE(image.load(QString::fromStdString(pngPath)));
  EXPECT_EQ(image.size(), chart.size() * chart.devicePixelRatio());

  // Reset brings the whole log back; Follow run returns to the (empty) run.
  window.ResetRange();
  EXPECT_EQ(chart.FromMs(), table.TimesMs().front());
  window.FollowRun();
  EXPECT_TRUE(window.ShowsRun());
  EXPECT_EQ(&window.ShownTable(), &window.RunTable());
}

TEST(TrendWindow, FollowsTheRunsLastHalfHourOrAllOfIt) {
  EnsureQtTestApplication();
  WindowUnderTest test;
  TrendWindow& window = test.window;
  BoardModel model{RecordLayout{}, 5};
  const int64_t startMs = WallClockMs(kStart);
  const int64_t records = 5000;  // 40 minutes
  for (int64_t r = 0; r < records; ++r) {
    model.Advance(kSimulatedRecordIntervalMs / 1000.0);
    test.AddRunRecord(WallClockTime(startMs + r * kSimulatedRecordIntervalMs), SimulatedRecordText(model));
  }
  window.FlushRedraw();
  const int64_t lastMs = startMs + (records - 1) * kSimulatedRecordIntervalMs;
  TrendChartView& chart = *window.Chart();
  EXPECT_EQ(chart.ToMs(), lastMs);
  EXPECT_EQ(chart.FromMs(), lastMs - kLiveTrendSpanMs);

  window.SetWholeRun(true);
  EXPECT_EQ(chart.FromMs(), startMs);
  EXPECT_EQ(chart.ToMs(), lastMs);

  // A range the user moved stays put while records come; Reset follows again.
  chart.ShowRange(startMs, startMs + kMsPerMinute);
  chart.onUserRange();
  model.Advance(kSimulatedRecordIntervalMs / 1000.0);
  test.AddRunRecord(WallClockTime(lastMs + kSimulatedRecordIntervalMs), SimulatedRecordText(model));
  window.FlushRedraw();
  EXPECT_EQ(chart.ToMs(), startMs + kMsPerMinute);
  window.ResetRange();
  EXPECT_EQ(chart.ToMs(), lastMs + kSimulatedRecordIntervalMs);

  // Ticking parameters in the list: up to six are drawn, a seventh is refused.
  auto* list = window.findChild<QListWidget*>();
  ASSERT_NE(list, nullptr);
  for (int row = 0; row < 7; ++row) list->item(row)->setCheckState(Qt::Checked);
  EXPECT_EQ(chart.Columns().size(), kMaxTrendSeries);
  EXPECT_EQ(list->item(6)->checkState(), Qt::Unchecked);
  EXPECT_NE(window.StatusText().toStdString().find("Up to six"), std::string::npos);

  // A new run: the chart follows it from its first record.
  test.runTable.Clear();
  window.BeginRun();
  test.AddRunRecord(WallClockTime(lastMs + kMsPerMinute), SimulatedRecordText(model));
  window.FlushRedraw();
  EXPECT_EQ(chart.FromMs(), lastMs + kMsPerMinute);  // the whole run, as chosen
  EXPECT_EQ(window.StatusText().toStdString(), "Run: 1 records");
}

// First shown, the window fits its screen's free area with its frame,
// whatever the screen: the test platform's is narrower than the window.
TEST(TrendWindow, FirstShownItFitsItsScreen) {
  EnsureQtTestApplication();
  const TrendTable runTable(DefaultConfig());
  TrendWindow window(DefaultConfig(), runTable);
  window.show();
  const QRect available = window.screen()->availableGeometry();
  const QRect frame(window.pos(), window.size() + QSize(kFrameAllowanceWidthPx, kFrameAllowanceHeightPx));
  EXPECT_TRUE(available.contains(frame))
      << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
}

// Each value axis labels its ticks with the decimals their step needs: flat
// data must not read "32,32,32" or "0,0,1,1,1".
TEST(TrendWindow, ValueAxisLabelsAreDistinct) {
  EnsureQtTestApplication();
  struct Case {
    const char* name;
    int firstValue;  // every value of the first record
    int step;        // added to every value from one record to the next
  };
  const Case cases[] = {
      {"flat at zero", 0, 0}, {"flat", 1234, 0}, {"flat below zero", -77, 0}, {"rising", 0, 97}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WindowUnderTest test;
    const int64_t startMs = WallClockMs(kStart);
    for (int r = 0; r < 20; ++r) {
      std::string record;
      for (int v = 0; v < 229; ++v) record += std::to_string(c.firstValue + r * c.step) + ",";
      test.AddRunRecord(WallClockTime(startMs + r * 500), record);
    }
    test.window.FlushRedraw();
    int axesShown = 0;
    for (QAbstractAxis* axis : test.window.Chart()->chart()->axes(Qt::Vertical)) {
      auto* values = qobject_cast<QValueAxis*>(axis);
      if (values == nullptr || !values->isVisible()) continue;
      ++axesShown;
      const double step = (values->max() - values->min()) / (values->tickCount() - 1);
      std::set<std::string> labels;
      std::string shown;
      for (int tick = 0; tick < values->tickCount(); ++tick) {
        const std::string label =
            QString::asprintf(values->labelFormat().toLatin1().constData(), values->min() + tick * step)
                .toStdString();
        labels.insert(label);
        shown += label + " ";
      }
      EXPECT_EQ(labels.size(), static_cast<size_t>(values->tickCount())) << shown;
    }
    EXPECT_EQ(axesShown, 2);  // temperatures and the compressor's output
  }
}

TEST(TrendWindow, NamesTheLogItCannotChart) {
  EnsureQtTestApplication();
  TempFolder folder;
  struct Case {
    std::string path;
    std::string expected;
  };
  const Case cases[] = {
      {folder.Path("missing.log"), "Cannot open the log " + folder.Path("missing.log") + ": no such file"},
      {folder.path(), "Cannot open the log " + folder.path() + ": it is not a file"},
      {folder.Write("short.log", FormatLogLine(kStart, "1,2,3,")),
       "holds no records of this configuration's layout (line 1: the record holds 3 values"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    WindowUnderTest test;
    test.Open(c.path);
    ASSERT_EQ(test.errors.size(), 1u);
    EXPECT_NE(test.errors[0].find(c.expected), std::string::npos) << test.errors[0];
    EXPECT_TRUE(test.window.ShowsRun());
  }
  WindowUnderTest test;
  EXPECT_NE(test.window.SavePng(folder.Path("no-folder/chart.png"))
                .find("Cannot create " + folder.Path("no-folder/chart.png")),
            std::string::npos);
}

// A defrost cycle of the simulated heat pump: the coil temperature falls
// below freezing, the compressor ramps, the fan stops while the coil is
// warmed, then all return. Photographed at the README's size.
TEST(TrendWindow, PhotographOfADefrostCycle) {
  EnsureQtTestApplication();
  TempFolder folder;
  const std::string path = folder.Write("site.log", SimulatedLog(kStart, 1500, 1));  // 12 minutes
  WindowUnderTest test;
  test.window.resize(1100, 560);
  test.Open(path);
  ASSERT_TRUE(test.errors.empty());
  TrendWindow& window = test.window;
  const TrendTable& table = window.ShownTable();
  std::vector<size_t> columns = DefaultTrendColumns(table);
  columns.push_back(static_cast<size_t>(table.ColumnOf(kOutdoorListIndex, kFanParam)));
  window.ChooseColumns(columns);
  QCoreApplication::processEvents();
  window.Chart()->Redraw();
  const QImage image = window.grab().toImage();
  // Each line is drawn: its colour appears on the plot.
  EXPECT_GT(window.Chart()->DrawnPointCount(), 5u * 100u);
  const char* folderForScreenshots = std::getenv("PLENX_SCREENSHOT_DIR");
  const std::string out = folderForScreenshots != nullptr
                              ? std::string(folderForScreenshots) + "/trends_defrost.png"
                              : folder.Path("trends_defrost.png");
  // Compressed the most (quality 0), to keep the README's picture small.
  EXPECT_TRUE(image.save(QString::fromStdString(out), "PNG", 0));
  // The picture is not blank: many colours besides the background.
  size_t coloured = 0;
  for (int y = 0; y < image.height(); y += 2) {
    for (int x = 0; x < image.width(); x += 2) {
      const QColor pixel = image.pixelColor(x, y);
      coloured += pixel.saturation() > 100 ? 1 : 0;
    }
  }
  EXPECT_GT(coloured, 1000u);
}

}  // namespace
