// The CSV table of a log: a header row from the configuration, then one row
// per record with the Value texts the window's lists show.
#pragma once

#include <cstddef>
#include <string>

#include "config/logger_config.h"
#include "decode/log_line.h"
#include "decode/record_decoder.h"

// What a record's cells hold.
enum class CellContent {
  kListText,  // the Value text of the list row, as the window shows it
  kNumber,    // the number behind it (RecordDecoder::AppendNumber)
};

class CsvTable {
 public:
  // Columns: "Time", then "<tab text>/<parameter label>" for every row of
  // every list in the window's order (the outdoor list, then unit 0, 1, ...),
  // with the layout, labels and tab texts of config.
  CsvTable(const LoggerConfig& config, CellContent content);

  // Values a record must hold to be a record of this layout.
  int64_t ValuesPerRecord() const { return m_valuesPerRecord; }

  // Columns whose record positions lie beyond the fields a record is read
  // into (kMaxRecordFields); the window cannot show them either, and their
  // cells stay empty. 0 for every layout of up to 2500 values.
  size_t UnreadColumns() const { return m_columnCount - m_decoder.RowCount(); }

  // Appends the header row, UTF-8, ending in CR LF.
  void AppendHeader(std::string& out) const { out += m_header; }

  // Appends the row of line, whose record holds ValuesPerRecord() values:
  // its time stamp in ISO 8601 with milliseconds, then a cell per column.
  void AppendRow(const LogLine& line, std::string& out);

 private:
  RecordDecoder m_decoder;
  CellContent m_content;
  int64_t m_valuesPerRecord = 0;
  size_t m_columnCount = 0;  // not counting the time
  std::string m_header;
};
