// plenx-export as a technician runs it: a log in, a CSV table out with the
// texts the window's lists show, and the lines, times and files it refuses.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "config/logger_config.h"
#include "config/text_encoding.h"
#include "decode/log_line.h"
#include "decode/record_decoder.h"
#include "decode/record_view.h"
#include "decode/shown_params.h"
#include "decode/unit_tabs.h"
#include "testkit/temp_folder.h"
#include "tests/support/csv_reader.h"

namespace {

struct ToolRun {
  int exitCode;
  std::string out;
  std::string err;
};

// Default-layout record texts: every value its position; values over the
// board's whole range; and values that reach the rules' named texts.
std::vector<std::string> SampleRecords() {
  std::vector<std::string> records(3);
  for (int i = 0; i < 229; ++i) {
    records[0] += std::to_string(i) + ",";
    records[1] += std::to_string((i * 7919) % 65025 - 32512) + ",";
    records[2] += std::to_string(i % 11 - 1) + ",";
  }
  return records;
}

std::string Utf8(const std::string& windows1252) {
  std::string utf8;
  AppendWindows1252AsUtf8(windows1252, utf8);
  return utf8;
}

// The table the window's lists give for records stamped at times: the tab
// text and label of every row, then the Value texts of every record.
std::vector<CsvRow> WindowTable(const LoggerConfig& config, const std::vector<std::string>& records,
                                const std::vector<std::string>& isoTimes) {
  const RecordLayout layout{config.statusParams, config.numDevices, config.acParams};
  const std::vector<std::string> tabs = UnitTabTexts(config.numDevices);
  CsvRow header = {"Time"};
  const auto lists = ListRows(layout);
  for (size_t list = 0; list < lists.size(); ++list) {
    const auto& labels = list == 0 ? config.statusLabels : config.acLabels[list - 1];
    for (const ShownRow& row : lists[list]) header.push_back(tabs[list] + "/" + Utf8(labels[row.param]));
  }
  std::vector<CsvRow> table = {header};
  for (size_t r = 0; r < records.size(); ++r) {
    CsvRow row = {isoTimes[r]};
    for (const auto& texts : DecodeRecord(layout, records[r]).listTexts)
      row.insert(row.end(), texts.begin(), texts.end());
    table.push_back(row);
  }
  return table;
}

class PlenxExport : public testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(m_folder.path().empty()); }

  // Runs a plenx-export with args (a shell command line tail).
  ToolRun Run(const std::string& args,
              const std::string& program = std::string(PLENX_BIN_DIR) + "/plenx-export") {
    const std::string out = m_folder.Path("stdout.txt");
    const std::string err = m_folder.Path("stderr.txt");
    const int status = std::system((program + " " + args + " >" + out + " 2>" + err).c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileBytes(out), ReadFileBytes(err)};
  }

  // A log of records stamped one a second from 2015/03/07-14:05:09.042.
  std::string WriteLog(const std::vector<std::string>& records, const std::string& name = "site.log") {
    std::string log;
    for (size_t i = 0; i < records.size(); ++i) {
      log += FormatLogLine({2015, 3, 7, 14, 5, 9 + static_cast<int>(i), 42}, records[i]);
    }
    return m_folder.Write(name, log);
  }

  // The ISO 8601 times of the first count records of WriteLog.
  static std::vector<std::string> Times(size_t count) {
    std::vector<std::string> times;
    for (size_t i = 0; i < count; ++i) {
      char time[32];
      std::snprintf(time, sizeof time, "2015-03-07T14:05:%02zu.042", 9 + i);
      times.emplace_back(time);
    }
    return times;
  }

  TempFolder m_folder;
};

TEST_F(PlenxExport, TableHoldsTheListTextsOfEveryRecord) {
  const std::vector<std::string> records = SampleRecords();
  const std::string log = WriteLog(records);
  const std::string ini = m_folder.Write("empty.ini", "");
  LoggerConfig config;
  config.Load(ini);
  const std::vector<CsvRow> expected = WindowTable(config, records, Times(records.size()));

  const ToolRun run = Run("--ini " + ini + " " + log);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ReadCsv(run.out), expected);
  EXPECT_EQ(expected[0].size(), 75u);  // the time and 10 + 4 x 16 list rows
  EXPECT_EQ(expected[0][4],
            "OUTDOOR/Compressor Discharge Temperature [\xC2\xB0"
            "F]");
  EXPECT_EQ(expected[0][74], "ZIZU/Software Version");

  // The same through standard input and into a file.
  EXPECT_EQ(Run("--ini " + ini + " - <" + log).out, run.out);
  const std::string csv = m_folder.Path("site.csv");
  EXPECT_EQ(Run("--ini " + ini + " " + log + " -o " + csv).exitCode, 0);
  EXPECT_EQ(ReadFileBytes(csv), run.out);
}

// A layout other than the default, labels that need quoting in CSV, a
// degree sign typed in UTF-8, and a record of the default layout, which
// does not fit and is skipped.
TEST_F(PlenxExport, LayoutAndLabelsComeFromTheIni) {
  const std::string ini =
      m_folder.Write("site.ini",
                     "[CONFIG]\nNUMDEVICES=1\nSTATUSPARAMS=10\nACPARAMS=12\n"
                     "[STATUSLABELS]\nCompressor=Compressor, stage \"A\"\nFan=Fan \xC2\xB0"
                     "C\n[ACLABELS0]\nWorking Mode=Mode\n");
  const std::string record = "0,0,0,2723,0,60,0,2,0,400,0,3,0,480,0,20,16,1,-4,0,8,400,";
  const std::string log = WriteLog({record, SampleRecords()[0], record});

  const ToolRun run = Run("--ini " + ini + " " + log);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err,
            "plenx-export: " + log + ":2: skipped: the record holds 229 values; the layout 10,1,12 has 22\n");
  const std::string header =
      "Time,\"OUTDOOR/Compressor, stage \"\"A\"\"\",OUTDOOR/Fan \xC2\xB0"
      "C,OUTDOOR/Working Mode,"
      "OUTDOOR/Compressor Discharge Temperature [\xC2\xB0"
      "F],"
      // With one unit its list is on the tab named ZIZU.
      "ZIZU/Mode,ZIZU/Expansion Valve,ZIZU/Set-Point Temperature [\xC2\xB0"
      "F],ZIZU/-,ZIZU/I Feel Mode,"
      "ZIZU/Room Air Temp by Remote control [\xC2\xB0"
      "F],ZIZU/Room Air Temp by Indoor sensor [\xC2\xB0"
      "F],ZIZU/Indoor Coil Temperature [\xC2\xB0"
      "F]\r\n";
  // Unit positions 10 to 21 lie before every unit rule: generic texts, the
  // temperatures in degrees C as sent (20 / 16 = 1.25 shows 1.3).
  const std::string cells = "50 %,Running,Cool,77.0,3,480,1.3,1,1,-0.3,0.5,25\r\n";
  EXPECT_EQ(run.out, header + "2015-03-07T14:05:09.042," + cells + "2015-03-07T14:05:11.042," + cells);

  const ToolRun values = Run("--ini " + ini + " --values " + log);
  EXPECT_EQ(values.exitCode, 0);
  const std::string numbers = "50,60,2,77.0,3,480,1.3,1,1,-0.3,0.5,25\r\n";
  EXPECT_EQ(values.out, header + "2015-03-07T14:05:09.042," + numbers + "2015-03-07T14:05:11.042," + numbers);
}

// --values: every cell is the number RecordDecoder puts behind the list text.
TEST_F(PlenxExport, ValuesHoldTheNumbersBehindTheTexts) {
  const std::vector<std::string> records = SampleRecords();
  const std::string ini = m_folder.Write("empty.ini", "");
  const ToolRun run = Run("--values --ini " + ini + " " + WriteLog(records));
  EXPECT_EQ(run.exitCode, 0);
  const std::vector<CsvRow> table = ReadCsv(run.out);
  ASSERT_EQ(table.size(), records.size() + 1);
  RecordDecoder decoder{RecordLayout{}};
  for (size_t r = 0; r < records.size(); ++r) {
    ASSERT_EQ(decoder.Load(records[r]), decoder.RowCount());
    ASSERT_EQ(table[r + 1].size(), decoder.RowCount() + 1);
    for (size_t row = 0; row < decoder.RowCount(); ++row) {
      std::string number;
      decoder.AppendNumber(row, number);
      EXPECT_EQ(table[r + 1][row + 1], number) << "record " << r << " row " << row;
    }
  }
  EXPECT_EQ(table[3][1], "0");  // the compressor's 2 shows "Stop"
  EXPECT_EQ(table[3][14], "");  // unit 0's parameter 6 shows "-"
}

TEST_F(PlenxExport, LinesThatAreNotLogLinesAreSkippedWithTheirNumber) {
  const std::string good = FormatLogLine({2015, 3, 7, 14, 5, 9, 42}, SampleRecords()[0]);
  // An empty line, a note, a line of another layout, a line too long, bad
  // dates, and a last record without its line end, which still counts.
  std::string log = good + "\r\n" + "Service visit: unit B replaced\r\n" + good.substr(0, 200) + "\r\n" +
                    std::string(2 << 20, 'x') + "\n";
  for (int i = 0; i < 12; ++i) log += "2015/02/29-14:05:09.042   -   1,\r\n";
  log += good + good.substr(0, good.size() - 2);
  const std::string path = m_folder.Write("site.log", log);

  const ToolRun run = Run("--ini " + m_folder.Write("empty.ini", "") + " " + path);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(ReadCsv(run.out).size(), 4u);  // the header and three records
  const std::string prefix = "plenx-export: " + path + ":";
  EXPECT_EQ(run.err.substr(0, run.err.find('\n', run.err.find(":5:"))),
            prefix + "2: skipped: empty line\n" + prefix +
                "3: skipped: no time stamp YYYY/MM/DD-hh:mm:ss.mmm at the start\n" + prefix +
                "4: skipped: the record holds 60 values; the layout 69,4,40 has 229\n" + prefix +
                "5: skipped: longer than 1048576 bytes");
  // Ten lines one by one, then a count of the other six bad dates: 16 of 19
  // lines.
  EXPECT_NE(run.err.find(prefix + "10: skipped: no such date or time: 2015/02/29-14:05:09.042\n"),
            std::string::npos);
  EXPECT_EQ(run.err.find(prefix + "15:"), std::string::npos);
  EXPECT_TRUE(run.err.ends_with("plenx-export: " + path + ": 6 more lines skipped (16 of 19 lines in all)\n"))
      << run.err;
}

TEST_F(PlenxExport, FromAndToKeepTheRecordsBetweenThemInclusive) {
  const std::vector<LocalTime> stamps = {{2015, 3, 7, 23, 59, 59, 999}, {2015, 3, 8, 0, 0, 0, 0},
                                         {2015, 3, 8, 14, 5, 9, 42},    {2015, 3, 8, 14, 5, 59, 999},
                                         {2015, 3, 8, 14, 6, 0, 0},     {2015, 3, 9, 0, 0, 0, 0}};
  std::string log;
  for (const LocalTime& stamp : stamps) log += FormatLogLine(stamp, SampleRecords()[0]);
  const std::string path = m_folder.Write("site.log", log) + " --ini " + m_folder.Write("empty.ini", "");
  const struct {
    std::string args;
    std::vector<std::string> times;
  } cases[] = {
      {"--from 2015-03-08",
       {"2015-03-08T00:00:00.000", "2015-03-08T14:05:09.042", "2015-03-08T14:05:59.999",
        "2015-03-08T14:06:00.000", "2015-03-09T00:00:00.000"}},
      {"--to 2015-03-08",
       {"2015-03-07T23:59:59.999", "2015-03-08T00:00:00.000", "2015-03-08T14:05:09.042",
        "2015-03-08T14:05:59.999", "2015-03-08T14:06:00.000"}},
      {"--from 2015-03-08T14:05 --to 2015-03-08T14:05",
       {"2015-03-08T14:05:09.042", "2015-03-08T14:05:59.999"}},
      {"--from 2015/03/08-14:05:09.042 --to 2015/03/08-14:05:09.042", {"2015-03-08T14:05:09.042"}},
      {"--from '2015-03-08 14:05:09.5' --to 2015-03-08T14:06:00",
       {"2015-03-08T14:05:59.999", "2015-03-08T14:06:00.000"}},
      {"--to 2015-03-07T23:59:59", {"2015-03-07T23:59:59.999"}},
      {"--from 2015-03-10", {}},
  };
  for (const auto& c : cases) {
    const ToolRun run = Run(c.args + " " + path);
    EXPECT_EQ(run.exitCode, 0) << c.args << ": " << run.err;
    std::vector<std::string> times;
    const std::vector<CsvRow> table = ReadCsv(run.out);
    for (size_t row = 1; row < table.size(); ++row) times.push_back(table[row][0]);
    EXPECT_EQ(times, c.times) << c.args;
  }
}

// --events: a row per change of a state the window shows as a text and per
// COMMUNICATION ERROR, the labels the configuration gives; the whole log is
// read, so the first event --from keeps has the state before it.
TEST_F(PlenxExport, EventsListTheChangesOfTheLog) {
  const auto record = [](int mode, int fault) {
    std::string text;
    for (int i = 0; i < 229; ++i)
      text += (i == 7 ? std::to_string(mode) : i == 30 ? std::to_string(fault) : "0") + ",";
    return text;
  };
  const LocalTime start{2015, 3, 7, 14, 5, 9, 42};
  std::string log = FormatLogLine(start, record(3, 0));
  log += FormatLogLine({2015, 3, 7, 14, 5, 9, 542}, record(3, 7));
  log += "Service visit: unit B replaced\r\n";
  log += FormatLogLine({2015, 3, 7, 14, 5, 25, 0}, record(1, 0));
  const std::string path = m_folder.Write("site.log", log);
  const std::string ini = m_folder.Write("site.ini", "[STATUSLABELS]\nWorking Mode=Mode, outdoor [\xb0]\n");

  const ToolRun run = Run("--events --ini " + ini + " " + path);
  EXPECT_EQ(run.exitCode, 0);
  const std::vector<CsvRow> expected = {
      {"Time", "Severity", "Unit", "Parameter", "Before", "After"},
      {"2015-03-07T14:05:09.542", "fault", "OUTDOOR", "Diagnostic Level", "NO Fault",
       "Overcurrent Compressor"},
      {"2015-03-07T14:05:19.542", "fault", "", "Line", "Receiving", "COMMUNICATION ERROR"},
      {"2015-03-07T14:05:25.000", "cleared", "", "Line", "COMMUNICATION ERROR", "Receiving"},
      {"2015-03-07T14:05:25.000", "state", "OUTDOOR", "Mode, outdoor [\u00b0]", "Heat", "Cool"},
      {"2015-03-07T14:05:25.000", "cleared", "OUTDOOR", "Diagnostic Level", "Overcurrent Compressor",
       "NO Fault"},
  };
  EXPECT_EQ(ReadCsv(run.out), expected) << run.out;
  EXPECT_EQ(run.err,
            "plenx-export: " + path + ":3: skipped: no time stamp YYYY/MM/DD-hh:mm:ss.mmm at the start\n");

  const ToolRun later = Run("--events --from 2015-03-07T14:05:20 --ini " + ini + " - < " + path);
  EXPECT_EQ(later.exitCode, 0);
  EXPECT_EQ(ReadCsv(later.out), (std::vector<CsvRow>{expected[0], expected[3], expected[4], expected[5]}));
}

// --around T takes in the records from T - before to T + after, both
// included: by default the two minutes before and the half minute after.
TEST_F(PlenxExport, AroundKeepsTheSpanBeforeAndAfterATime) {
  const std::vector<LocalTime> stamps = {{2015, 3, 8, 14, 2, 59, 999}, {2015, 3, 8, 14, 3, 0, 0},
                                         {2015, 3, 8, 14, 4, 30, 0},   {2015, 3, 8, 14, 5, 0, 0},
                                         {2015, 3, 8, 14, 5, 30, 0},   {2015, 3, 8, 14, 5, 30, 1}};
  std::string log;
  for (const LocalTime& stamp : stamps) log += FormatLogLine(stamp, SampleRecords()[0]);
  const std::string path = m_folder.Write("site.log", log) + " --ini " + m_folder.Write("empty.ini", "");
  const struct {
    std::string args;
    std::vector<std::string> times;
  } cases[] = {
      {"--around 2015-03-08T14:05",
       {"2015-03-08T14:03:00.000", "2015-03-08T14:04:30.000", "2015-03-08T14:05:00.000",
        "2015-03-08T14:05:30.000"}},
      {"--around 2015/03/08-14:05:00.000 --before 30s --after 0s",
       {"2015-03-08T14:04:30.000", "2015-03-08T14:05:00.000"}},
      {"--around '2015-03-08 14:04:00' --before 1m0s --after 1m30001ms",
       {"2015-03-08T14:03:00.000", "2015-03-08T14:04:30.000", "2015-03-08T14:05:00.000",
        "2015-03-08T14:05:30.000", "2015-03-08T14:05:30.001"}},
      {"--values --around 2015-03-08T14:05 --before 0 --after 0", {"2015-03-08T14:05:00.000"}},
  };
  for (const auto& c : cases) {
    const ToolRun run = Run(c.args + " " + path);
    EXPECT_EQ(run.exitCode, 0) << c.args << ": " << run.err;
    std::vector<std::string> times;
    const std::vector<CsvRow> table = ReadCsv(run.out);
    for (size_t row = 1; row < table.size(); ++row) times.push_back(table[row][0]);
    EXPECT_EQ(times, c.times) << c.args;
  }
}

TEST_F(PlenxExport, BadArgumentsExitWithTwoAndTheUsage) {
  const std::string log = WriteLog({SampleRecords()[0]});
  const struct {
    std::string args;
    std::string errorMentions;
  } cases[] = {
      {"", "LOG is required"},
      {"--frobnicate " + log, "--frobnicate"},
      {log + " other.log", "other.log"},
      {"--from 2015-03-08T14:05Z " + log, "has a time zone"},
      {"--to 2015-03-08T14:05+01:00 " + log, "has a time zone"},
      {"--from 2015-02-29 " + log, "--from \"2015-02-29\" is no date or time a clock shows"},
      {"--from 14:05 " + log, "--from \"14:05\" is not a date"},
      {"--to 2015-03-08T14:05:09.0421 " + log, "more than three decimals"},
      {"--from 2015-03-09 --to 2015-03-08 " + log,
       "--from 2015-03-09T00:00:00.000 is after --to 2015-03-08T23:59:59.999"},
      {"--events --values " + log, "--values excludes --events"},
      {"--around 2015-03-08T14:05 --from 2015-03-08 " + log, "--from excludes --around"},
      {"--before 2m " + log, "--before requires --around"},
      {"--around 2015-03-08T14:05 --before 2x " + log, "--before \"2x\" is not a span of time"},
      {"--around 2015-03-08T14:05 --after 1m30 " + log, "--after \"1m30\" is not a span of time"},
      {"--around 14:05 " + log, "--around \"14:05\" is not a date"},
  };
  for (const auto& c : cases) {
    const ToolRun run = Run(c.args);
    EXPECT_EQ(run.exitCode, 2) << c.args;
    EXPECT_NE(run.err.find(c.errorMentions), std::string::npos) << c.args << ": " << run.err;
    EXPECT_NE(run.err.find("usage: plenx-export [--ini FILE]"), std::string::npos) << c.args;
    EXPECT_EQ(run.out, "") << c.args;
  }
  const ToolRun help = Run("--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("usage: plenx-export [--ini FILE]"), std::string::npos);
  const ToolRun version = Run("--version");
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_TRUE(version.out.starts_with("plenx-export ")) << version.out;
}

TEST_F(PlenxExport, FilesThatCannotBeReadOrWrittenExitWithOne) {
  const std::string log = WriteLog({SampleRecords()[0]});
  const std::string logBytes = ReadFileBytes(log);
  const std::string ini = " --ini " + m_folder.Write("empty.ini", "");
  const struct {
    std::string args;
    int exitCode;
    std::string error;
  } cases[] = {
      {m_folder.Path("none.log") + ini, 1,
       "cannot open " + m_folder.Path("none.log") + ": no such file or directory"},
      {m_folder.path() + ini, 1, "cannot read " + m_folder.path() + ": is a directory"},
      {log + " --ini " + m_folder.Path("none.ini"), 1,
       "cannot read " + m_folder.Path("none.ini") + ": no such file"},
      {log + ini + " -o " + m_folder.Path("none/site.csv"), 1,
       "cannot write " + m_folder.Path("none/site.csv") + ": no such file or directory"},
      {log + ini + " -o /dev/full", 1, "cannot write /dev/full: no space left on device"},
      // The log given as its own output would be emptied: refused, untouched.
      {log + ini + " -o " + log, 2, "the output " + log + " is the log itself"},
  };
  for (const auto& c : cases) {
    const ToolRun run = Run(c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.args;
    EXPECT_NE(run.err.find("plenx-export: " + c.error), std::string::npos) << c.args << ": " << run.err;
  }
  EXPECT_EQ(ReadFileBytes(log), logBytes);
  EXPECT_TRUE(std::filesystem::exists("/dev/full"));

  const std::string err = m_folder.Path("stderr.txt");
  const int status = std::system(
      (std::string(PLENX_BIN_DIR) + "/plenx-export " + log + ini + " >/dev/full 2>" + err).c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
  EXPECT_EQ(ReadFileBytes(err), "plenx-export: cannot write standard output: no space left on device\n");
}

// Without --ini the table follows the window's configuration file,
// plenx-logger.ini beside plenx-logger, and its warnings go to stderr.
TEST_F(PlenxExport, WithoutIniReadsTheWindowsConfigurationFile) {
  const std::string program = m_folder.Path("plenx-export");
  std::filesystem::copy_file(std::string(PLENX_BIN_DIR) + "/plenx-export", program);
  const std::string ini = m_folder.Write("plenx-logger.ini", "[CONFIG]\nNUMDEVICES=2\nLOGEVERY=often\n");
  std::string record;
  for (int i = 0; i < 69 + 2 * 40; ++i) record += std::to_string(i) + ",";
  const ToolRun run = Run(WriteLog({record}), program);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "plenx-export: " + ini + ": [CONFIG] LOGEVERY=often is not a number; using 1\n");
  LoggerConfig config;
  config.Load(ini);
  EXPECT_EQ(ReadCsv(run.out), WindowTable(config, {record}, Times(1)));
  EXPECT_EQ(ReadCsv(run.out)[0][11 + 16], "ZIZU/Working Mode");
}

}  // namespace
