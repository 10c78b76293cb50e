// The shape every record of a run has: the lists the faces show, and one row
// per shown parameter with its label and what its number measures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/logger_config.h"
#include "config/record_layout.h"
#include "decode/value_quantity.h"

// One list row: the position of its value in the record and how it reads.
struct RunRow {
  int listIndex = 0;     // kOutdoorListIndex (0), or u + 1 for unit u
  int param = 0;         // parameter index within its list's unit; picks the label
  int64_t position = 0;  // the record position of its value
  // What the row's number measures; kNone for a row that shows a name, a
  // state or a code rather than a number.
  ValueQuantity quantity = ValueQuantity::kNone;
  std::string label;  // the Parameter text, Windows-1252
};

// One list: its tab and its rows, a contiguous range of RunLayout::rows.
struct RunList {
  std::string tabText;  // Windows-1252 ("OUTDOOR", "INDOOR A / HK", ...)
  size_t firstRow = 0;
  size_t rowCount = 0;
};

// Shared read-only by every record of a run and every face; built once per
// run from the configuration.
struct RunLayout {
  RecordLayout layout;          // as configured, every unit included
  int64_t valuesPerRecord = 0;  // S + N x A
  // The lists the window shows, in tab order: the outdoor list, then one
  // per shown unit (at most kShownUnitCount).
  std::vector<RunList> lists;
  // Every row of every list, in the order a record is handled: the outdoor
  // list's rows, then unit 0's, unit 1's, ...
  std::vector<RunRow> rows;
  // The texts of every tab the window has, in tab order; list L is shown on
  // tab L (so tabTexts[L] is lists[L].tabText). There may be more tabs than
  // lists: with one unit, the third tab has none.
  std::vector<std::string> tabTexts;
};

// The layout of config's records, labels and tab texts included.
RunLayout MakeRunLayout(const LoggerConfig& config);
