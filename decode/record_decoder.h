// Decoding of many records of one layout: the shown rows and the rule behind
// each row's Value text are worked out once, and each record is read into
// numbers without a string per field.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/record_layout.h"
#include "decode/row_event_kind.h"
#include "decode/shown_params.h"
#include "decode/value_quantity.h"

// One row of one list: the list (kOutdoorListIndex, or u + 1 for unit u) and
// the position and parameter it shows.
struct ListRow {
  int listIndex = 0;
  ShownRow shown;
};

// How row takes part in events, from the rule behind its Value text: the
// outdoor rule of its parameter or the unit rule of its position. So the
// layout the configuration gives decides which rows name states.
RowEventKind ListRowEventKind(const ListRow& row);

// Not thread-safe; one decoder per thread. The texts it makes are those of
// DecodeRecord, which is built on it.
class RecordDecoder {
 public:
  explicit RecordDecoder(const RecordLayout& layout);

  // The rows of every list in the order the record is handled: the outdoor
  // list's, then unit 0's, unit 1's, ...; within a list as ListRows gives
  // them, so positions ascend. Rows at positions no record can reach
  // (kMaxRecordFields and beyond) are left out.
  size_t RowCount() const { return m_rows.size(); }
  const ListRow& Row(size_t row) const { return m_rows[row].listRow; }

  // Reads the field values of record (a record text, "%d," per value).
  // Returns how many rows, from the first, have a field: RowCount() when the
  // record is complete for the layout, otherwise the rows before the first
  // shown position without a field.
  size_t Load(std::string_view record);

  // The first shown position without a field in the last record loaded, or
  // -1 when none is missing (the window's "Encountered an improper argument.").
  int64_t MissingPosition() const { return m_missingPosition; }

  // Appends to out the Value text row (below what Load returned) shows for the loaded record.
  void AppendText(size_t row, std::string& out) const;

  // Appends to out the number behind that text (AppendOutdoorRuleNumber,
  // AppendUnitRuleNumber); nothing for a text that stands for no value.
  void AppendNumber(size_t row, std::string& out) const;

  // What the numbers of row measure (OutdoorRuleQuantity, UnitRuleQuantity):
  // kNone for rows that show names, states or codes.
  ValueQuantity Quantity(size_t row) const;

  // How row takes part in events (ListRowEventKind).
  RowEventKind EventKind(size_t row) const;

  // The number a chart draws for row (below what Load returned) of the
  // loaded record, unrounded (OutdoorRuleValue, UnitRuleValue); NaN for a
  // text that stands for no value.
  double Value(size_t row) const;

 private:
  // A row and how its text is made: its scale factor and its rule, the
  // outdoor rule of its parameter or the unit rule of its position.
  struct FormattedRow {
    ListRow listRow;
    double factor = 1.0;
    bool outdoor = true;
    uint8_t rule = 0;  // an OutdoorRule when outdoor, else a UnitRule
  };

  int32_t ValueOf(const FormattedRow& row) const {
    return m_values[static_cast<size_t>(row.listRow.shown.position)];
  }

  std::vector<FormattedRow> m_rows;
  // The first shown position at or beyond kMaxRecordFields, or -1.
  int64_t m_firstUnreachablePosition = -1;
  std::vector<int32_t> m_values;  // the loaded record's field values
  int64_t m_missingPosition = -1;
};
