// A log written by a run in the window, exported with plenx-export: the
// table's columns are the window's tabs and Parameter labels, and each row
// holds exactly the Value cells the window showed after that record.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "config/text_encoding.h"
#include "decode/record_view.h"
#include "link/frame_encoder.h"
#include "link/record_text.h"
#include "testkit/pty_line.h"
#include "tests/app/run_probe.h"
#include "tests/support/csv_reader.h"

namespace {

using LoggingDialog = RunProbe;

std::string Utf8(const std::string& windows1252) {
  std::string utf8;
  AppendWindows1252AsUtf8(windows1252, utf8);
  return utf8;
}

// The lists as the window holds them: list L is on tab L.
std::vector<const CListCtrl*> Lists(const LoggingDialog& dlg) {
  std::vector<const CListCtrl*> lists = {&dlg.m_outdoorList};
  for (int u = 0; u < dlg.m_config.ShownUnitCount(); ++u)
    lists.push_back(&dlg.m_unitLists[static_cast<size_t>(u)]);
  return lists;
}

// "YYYY/MM/DD-hh:mm:ss.mmm" at the start of a log line, as ISO 8601.
std::string IsoStamp(const std::string& logLine) {
  std::string stamp = logLine.substr(0, 23);
  stamp[4] = stamp[7] = '-';
  stamp[10] = 'T';
  return stamp;
}

class ExportTest : public DialogTest {
 protected:
  // Logs six records to a new log `name` in a run in a window on the
  // configuration `iniText`, exports the log and compares the table with
  // what the lists showed.
  void ExportAndCompare(const std::string& iniText, const std::string& name) {
    const std::string ini = WriteIni(iniText);
    const std::string logPath = m_files.path() + "/" + name + ".log";
    std::vector<CsvRow> expected;
    {
      PtyLine line;
      ASSERT_TRUE(line.Valid());
      LoggingDialog dlg(ini);
      ASSERT_TRUE(dlg.Create());
      dlg.m_config.portName = line.SlavePath();
      dlg.m_config.logFileName = logPath;
      dlg.Click(kStartButtonId);
      ASSERT_TRUE(dlg.m_started);

      CsvRow header = {"Time"};
      const std::vector<const CListCtrl*> lists = Lists(dlg);
      for (size_t list = 0; list < lists.size(); ++list) {
        for (int row = 0; row < lists[list]->GetItemCount(); ++row) {
          header.push_back(
              Utf8(dlg.m_tabs.GetItemText(static_cast<int>(list)) + "/" + lists[list]->GetItemText(row, 0)));
        }
      }
      expected.push_back(header);

      const int valueCount = static_cast<int>(dlg.m_config.ValuesPerRecord());
      for (int record = 0; record < 6; ++record) {
        std::vector<int16_t> values(static_cast<size_t>(valueCount));
        for (int i = 0; i < valueCount; ++i) {
          values[static_cast<size_t>(i)] =
              static_cast<int16_t>((i * 7919 + record * 104729) % 2000 - 400 + record % 3 * i);
        }
        ASSERT_TRUE(line.Write(EncodeFrame(record % 5, values)));
        // Shown once the lists hold its texts.
        const RecordTexts texts = DecodeRecord(dlg.m_config.Layout(), FormatRecordText(values));
        ASSERT_TRUE(ProcessEventsUntil([&] {
          for (size_t list = 0; list < lists.size(); ++list) {
            for (int row = 0; row < lists[list]->GetItemCount(); ++row) {
              if (lists[list]->GetItemText(row, 1) != texts.listTexts[list][static_cast<size_t>(row)])
                return false;
            }
          }
          return true;
        }));
        CsvRow cells = {""};  // the time, filled from the log below
        for (const CListCtrl* list : lists) {
          for (int row = 0; row < list->GetItemCount(); ++row)
            cells.push_back(Utf8(list->GetItemText(row, 1)));
        }
        expected.push_back(cells);
      }
      ASSERT_TRUE(dlg.StopAndWait());
    }
    std::istringstream log(ReadFileBytes(logPath));
    std::string line;
    for (size_t row = 1; std::getline(log, line); ++row) {
      ASSERT_LT(row, expected.size());
      expected[row][0] = IsoStamp(line);
    }
    EXPECT_EQ(expected[0][2], "OUTDOOR/Fan, outdoor \"main\"");
    EXPECT_EQ(expected[0].back(), "ZIZU/Software Version");

    const std::string csv = m_files.path() + "/" + name + ".csv";
    const std::string command =
        std::string(PLENX_BIN_DIR) + "/plenx-export --ini " + ini + " " + logPath + " -o " + csv;
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadCsv(ReadFileBytes(csv)), expected);
  }
};

TEST_F(ExportTest, TableMatchesTheWindowRowForRow) {
  // Three units: the last one's list is on the tab named ZIZU with indoor
  // texts; twelve: only the first ten are shown, so only they have columns.
  // Labels that need quoting and a degree sign typed in UTF-8.
  for (const char* units : {"3", "12"}) {
    SCOPED_TRACE(units);
    ExportAndCompare(std::string("[CONFIG]\nNUMDEVICES=") + units +
                         "\n[STATUSLABELS]\nFan=Fan, outdoor \"main\"\n"
                         "[ACLABELS2]\nIndoor Coil Temperature [\xC2\xB0"
                         "F]=Coil \xC2\xB0"
                         "F\n",
                     std::string("run") + units);
  }
}

}  // namespace
