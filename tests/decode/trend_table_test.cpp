// The numbers a chart draws from a log: read back from a log file, they are
// the decoded values the window's lists show as text, column by column; the
// lines that are no records are skipped and named; a range goes out as CSV.
#include "decode/trend_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "decode/display_text.h"
#include "decode/log_line.h"
#include "decode/record_decoder.h"
#include "decode/record_view.h"
#include "decode/shown_params.h"
#include "decode/time_stamp.h"
#include "decode/trend_csv.h"
#include "decode/trend_log_reader.h"
#include "platform/posix_io.h"
#include "testkit/temp_folder.h"

namespace {

LoggerConfig DefaultConfig() {
  LoggerConfig config;
  config.Load("");
  return config;
}

// Default-layout records that reach every rule's cases: temperatures above
// and below zero Celsius, a missing top shell sensor, the compressor stopped
// and running, speeds, codes.
std::vector<std::string> VariedRecords(int count) {
  std::mt19937 generator(18);
  std::uniform_int_distribution<int> temperature(-400, 1200);  // sixteenths of a degree C
  std::uniform_int_distribution<int> other(-5, 6000);
  std::vector<std::string> records;
  for (int r = 0; r < count; ++r) {
    std::string record;
    for (int position = 0; position < 229; ++position) {
      const bool topShellMissing = position == 39 && r % 3 == 0;
      record += std::to_string(topShellMissing     ? -1
                               : position % 2 == 0 ? other(generator)
                                                   : temperature(generator));
      record += ',';
    }
    records.push_back(record);
  }
  return records;
}

// Reads log (the bytes of a log file) into a table of the default layout.
TrendLogReport ReadLog(const std::string& log, TrendTable& table) {
  TempFolder folder;
  const std::string path = folder.Write("site.log", log);
  const int fd = OpenForReading(path);
  EXPECT_GE(fd, 0);
  const TrendLogReport report = ReadTrendLog(fd, log.size(), table);
  CloseFile(fd);
  return report;
}

// The row of list listIndex that shows param.
size_t RowOf(const std::vector<std::vector<ShownRow>>& lists, int listIndex, int param) {
  const std::vector<ShownRow>& rows = lists[static_cast<size_t>(listIndex)];
  size_t row = 0;
  while (row < rows.size() && rows[row].param != param) ++row;
  return row;
}

TEST(TrendTableTest, SeriesAreTheValuesTheListsShow) {
  const LoggerConfig config = DefaultConfig();
  const std::vector<std::string> records = VariedRecords(60);
  const LocalTime start{2015, 3, 7, 23, 59, 50, 0};
  std::string log;
  for (size_t r = 0; r < records.size(); ++r) {
    log += FormatLogLine(WallClockTime(WallClockMs(start) + static_cast<int64_t>(r) * 480), records[r]);
  }

  TrendTable table(config);
  const TrendLogReport report = ReadLog(log, table);
  EXPECT_EQ(report.readError, 0);
  EXPECT_EQ(report.skippedLines, 0u);
  ASSERT_EQ(table.Size(), records.size());
  EXPECT_TRUE(table.TimesAscending());
  EXPECT_EQ(table.TimesMs().back() - table.TimesMs().front(), 59 * 480);
  EXPECT_EQ(table.TypicalIntervalMs(), 480);

  const std::vector<std::vector<ShownRow>> lists = ListRows(config.Layout());
  int temperatures = 0;
  for (size_t r = 0; r < records.size(); ++r) {
    const RecordTexts texts = DecodeRecord(config.Layout(), records[r]);
    for (size_t column = 0; column < table.Columns().size(); ++column) {
      const TrendColumn& head = table.Columns()[column];
      const std::string& text =
          texts.listTexts[static_cast<size_t>(head.listIndex)][RowOf(lists, head.listIndex, head.param)];
      const float value = table.Values(column)[r];
      const std::string where = "record " + std::to_string(r) + ", " + head.tabText + "/" + head.label;
      switch (head.quantity) {
        case ValueQuantity::kFahrenheit:
          ++temperatures;
          if (text == "NA") {
            EXPECT_TRUE(std::isnan(value)) << where;
          } else {
            EXPECT_EQ(OneDecimalText(value), text) << where;
          }
          break;
        case ValueQuantity::kPercent:
          EXPECT_EQ(value == 0 ? std::string("Stop") : std::to_string(static_cast<int>(value)) + " %", text)
              << where;
          break;
        case ValueQuantity::kNumber:
          // A generic value is its text; a speed or valve position stands
          // behind a state text, as plenx-export --values writes it.
          if (text != "Running" && text != "Stop" && text != "OFF" && text != "Open" && text != "Closed") {
            EXPECT_EQ(GenericText(static_cast<int32_t>(value), 1.0), text) << where;
          }
          break;
        case ValueQuantity::kNone:
          ADD_FAILURE() << where << " has no quantity";
          break;
      }
    }
  }
  EXPECT_EQ(temperatures, 60 * (4 + 3 * 7 + 4));
}

TEST(TrendTableTest, ColumnsAreTheNumericRowsOfEveryTab) {
  const TrendTable table(DefaultConfig());
  // Outdoor: compressor, fan, three temperatures, top shell, software
  // version; each indoor unit twelve rows, ZIZU eight.
  ASSERT_EQ(table.Columns().size(), 7u + 3 * 12 + 8);
  EXPECT_EQ(table.Columns().front().tabText, "OUTDOOR");
  EXPECT_EQ(table.Columns().back().tabText, "ZIZU");
  std::vector<std::string> defaults;
  for (const size_t column : DefaultTrendColumns(table)) defaults.push_back(table.Columns()[column].label);
  EXPECT_EQ(defaults, (std::vector<std::string>{"Outdoor Air Temperature [\xB0"
                                                "F]",
                                                "Outdoor Coil Temperature [\xB0"
                                                "F]",
                                                "Compressor Discharge Temperature [\xB0"
                                                "F]",
                                                "Compressor"}));
  EXPECT_EQ(table.ColumnOf(kOutdoorListIndex, 7), -1);  // the working mode is a name
}

TEST(TrendTableTest, LinesThatAreNoRecordsOfTheLayoutAreSkipped) {
  const std::vector<std::string> records = VariedRecords(3);
  const LocalTime time{2015, 3, 7, 14, 5, 9, 42};
  const std::string log = FormatLogLine(time, records[0]) + "checked the filter, all fine\r\n" +
                          FormatLogLine(time, "1,2,3,") + FormatLogLine(time, records[1]) +
                          FormatLogLine(time, records[2]).substr(0, 100);  // cut short, no line end
  TrendTable table(DefaultConfig());
  const TrendLogReport report = ReadLog(log, table);
  EXPECT_EQ(table.Size(), 2u);
  EXPECT_EQ(report.lineCount, 5u);
  EXPECT_EQ(report.skippedLines, 3u);
  EXPECT_EQ(report.firstSkippedLine, 2u);
  EXPECT_EQ(report.firstSkippedReason, "no time stamp YYYY/MM/DD-hh:mm:ss.mmm at the start");

  TrendTable other(DefaultConfig());
  EXPECT_EQ(ReadLog(FormatLogLine(time, "1,2,3,"), other).firstSkippedReason,
            "the record holds 3 values; the layout 69,4,40 has 229");
}

TEST(TrendTableTest, ShortRecordsAndAClockSetBack) {
  TrendTable table(DefaultConfig());
  const std::vector<std::string> records = VariedRecords(3);
  table.Append(LocalTime{2015, 3, 7, 14, 0, 0, 0}, records[0]);
  table.Append(LocalTime{2015, 3, 7, 13, 0, 0, 0}, "0,0,0,2723,");  // a clock set back; compressor only
  table.Append(LocalTime{2015, 3, 7, 15, 0, 0, 0}, records[2]);
  EXPECT_FALSE(table.TimesAscending());
  EXPECT_EQ(table.Values(0)[1], 50.0f);
  EXPECT_TRUE(std::isnan(table.Values(1)[1]));
  EXPECT_TRUE(std::isnan(table.Values(table.Columns().size() - 1)[1]));

  EXPECT_GE(table.MemoryBytes(), 3 * (sizeof(int64_t) + table.Columns().size() * sizeof(float)));

  // A new run starts over, its times in order again.
  table.Clear();
  EXPECT_TRUE(table.Empty());
  EXPECT_TRUE(table.TimesAscending());
}

TEST(TrendTableTest, CsvOfARange) {
  LoggerConfig config = DefaultConfig();
  config.statusLabels[10] = "Air, outside";
  TrendTable table(config);
  // Compressor 50 %, then stopped; air 0.25 C (32.45 F), then the value -1.
  std::string first(229 * 2, ',');
  for (int i = 0; i < 229; ++i) first[static_cast<size_t>(2 * i)] = '0';
  std::string second = first;
  first.replace(2 * 10, 1, "4");
  first.replace(2 * 3, 1, "2723");
  second.replace(2 * 10, 1, "-1");
  table.Append(LocalTime{2015, 3, 7, 14, 5, 9, 42}, first);
  table.Append(LocalTime{2015, 3, 7, 14, 5, 9, 522}, second);
  table.Append(LocalTime{2015, 3, 7, 14, 5, 10, 2}, second);

  const std::vector<size_t> columns = {static_cast<size_t>(table.ColumnOf(kOutdoorListIndex, 10)),
                                       static_cast<size_t>(table.ColumnOf(kOutdoorListIndex, 3)),
                                       static_cast<size_t>(table.ColumnOf(kOutdoorListIndex, 39))};
  std::string csv;
  AppendTrendCsv(table, columns, table.TimesMs()[0], table.TimesMs()[1], csv);
  EXPECT_EQ(
      csv,
      "Time,\"OUTDOOR/Air, outside\",OUTDOOR/Compressor,OUTDOOR/Compressor Top Shell Temperature [\xC2\xB0"
      "F]\r\n"
      "2015-03-07T14:05:09.042,32.45,50,32\r\n"
      "2015-03-07T14:05:09.522,31.8875,0,32\r\n");
}

// A bounded table of a long run: the newest records as they came, the
// older ones merged without losing any extreme, within the same rows
// however many records came.
TEST(TrendTableTest, BoundedTableKeepsTheNewestRecordsAndEveryExtreme) {
  constexpr TrendTableBound kBound{256, 64};
  constexpr size_t kMostRows = 256 + 256 / 4 + 64;
  constexpr int64_t kIntervalMs = 500;
  TrendTable table(DefaultConfig(), kBound);
  std::vector<double> numbers(RecordDecoder(DefaultConfig().Layout()).RowCount());
  std::vector<int64_t> times;
  std::vector<float> values;  // of every column alike
  float lowest = std::numeric_limits<float>::infinity();
  float highest = -lowest;
  for (int r = 0; r < 1500; ++r) {
    // Every seventh record has no number; a spike and a dip among the first.
    float value = static_cast<float>((r * 7919) % 1000);
    if (r == 3) value = 5000;
    if (r == 5) value = -5000;
    if (r % 7 == 0) value = std::numeric_limits<float>::quiet_NaN();
    if (!std::isnan(value)) {
      lowest = std::min(lowest, value);
      highest = std::max(highest, value);
    }
    std::fill(numbers.begin(), numbers.end(), value);
    times.push_back(r * kIntervalMs);
    values.push_back(value);
    table.AppendDecoded(times.back(), numbers, numbers.size());

    SCOPED_TRACE("after record " + std::to_string(r));
    ASSERT_LE(table.Size(), kMostRows);
    ASSERT_LE(table.OlderRows(), kBound.olderRows);
    const std::vector<float>& kept = table.Values(0);
    const size_t recent = std::min<size_t>(times.size(), kBound.recentRecords);
    for (size_t back = 1; back <= recent; ++back) {
      ASSERT_EQ(table.TimesMs()[table.Size() - back], times[times.size() - back]);
      const float expected = values[values.size() - back];
      ASSERT_TRUE(std::isnan(expected) ? std::isnan(kept[table.Size() - back])
                                       : kept[table.Size() - back] == expected);
    }
    ASSERT_TRUE(std::is_sorted(table.TimesMs().begin(), table.TimesMs().end()));
    ASSERT_EQ(table.TimesMs().front(), 0);
    float keptLowest = std::numeric_limits<float>::infinity();
    float keptHighest = -keptLowest;
    for (size_t row = 0; row < table.Size(); ++row) {
      // Merged buckets (of two records or more) always hold a number.
      if (table.RecordsPerOlderRow() > 1 && row < table.OlderRows()) {
        ASSERT_FALSE(std::isnan(kept[row]));
      }
      keptLowest = std::fmin(keptLowest, kept[row]);
      keptHighest = std::fmax(keptHighest, kept[row]);
    }
    ASSERT_EQ(keptLowest, lowest);
    ASSERT_EQ(keptHighest, highest);
  }
  // About 1200 records before the newest, in 64 rows at most: 32 a row.
  EXPECT_EQ(table.RecordsPerOlderRow(), 32u);
  EXPECT_EQ(table.TypicalIntervalMs(), kIntervalMs);

  // Records without any number stay without one when merged; Clear starts over.
  table.Clear();
  EXPECT_EQ(table.OlderRows(), 0u);
  std::fill(numbers.begin(), numbers.end(), std::numeric_limits<double>::quiet_NaN());
  for (int r = 0; r < 1000; ++r) table.AppendDecoded(r * kIntervalMs, numbers, numbers.size());
  EXPECT_GT(table.RecordsPerOlderRow(), 1u);
  EXPECT_TRUE(
      std::all_of(table.Values(0).begin(), table.Values(0).end(), [](float v) { return std::isnan(v); }));
}

}  // namespace
