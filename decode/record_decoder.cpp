// Shown rows with their rules, worked out once per layout, and the Value
// texts of loaded records.
#include "decode/record_decoder.h"

#include "decode/outdoor_rules.h"
#include "decode/record_fields.h"
#include "decode/unit_rules.h"

RowEventKind ListRowEventKind(const ListRow& row) {
  return row.listIndex == kOutdoorListIndex ? OutdoorRuleEventKind(OutdoorRuleAt(row.shown.param))
                                            : UnitRuleEventKind(UnitRuleAt(row.shown.position));
}

RecordDecoder::RecordDecoder(const RecordLayout& layout) {
  // Stops at the first row no record reaches, so a configured unit count far
  // beyond any record costs nothing.
  ForEachShownRow(layout, [this](int listIndex, int, const ShownRow& row) {
    if (row.position >= kMaxRecordFields) {
      m_firstUnreachablePosition = row.position;
      return false;
    }
    FormattedRow formatted{ListRow{listIndex, row}};
    if (listIndex == kOutdoorListIndex) {
      formatted.factor = StatusParamScale(row.param);
      formatted.rule = static_cast<uint8_t>(OutdoorRuleAt(row.param));
    } else {
      formatted.factor = UnitParamScale(row.param);
      formatted.outdoor = false;
      formatted.rule = static_cast<uint8_t>(UnitRuleAt(row.position));
    }
    m_rows.push_back(formatted);
    return true;
  });
}

size_t RecordDecoder::Load(std::string_view record) {
  const int64_t fieldCount = RecordFieldValues(record, m_values);
  size_t present = 0;
  while (present < m_rows.size() && m_rows[present].listRow.shown.position < fieldCount) ++present;
  m_missingPosition =
      present < m_rows.size() ? m_rows[present].listRow.shown.position : m_firstUnreachablePosition;
  return present;
}

void RecordDecoder::AppendText(size_t row, std::string& out) const {
  const FormattedRow& formatted = m_rows[row];
  if (formatted.outdoor) {
    AppendOutdoorRuleText(static_cast<OutdoorRule>(formatted.rule), ValueOf(formatted), formatted.factor,
                          out);
  } else {
    AppendUnitRuleText(static_cast<UnitRule>(formatted.rule), ValueOf(formatted), formatted.factor, out);
  }
}

void RecordDecoder::AppendNumber(size_t row, std::string& out) const {
  const FormattedRow& formatted = m_rows[row];
  if (formatted.outdoor) {
    AppendOutdoorRuleNumber(static_cast<OutdoorRule>(formatted.rule), ValueOf(formatted), formatted.factor,
                            out);
  } else {
    AppendUnitRuleNumber(static_cast<UnitRule>(formatted.rule), ValueOf(formatted), formatted.factor, out);
  }
}

ValueQuantity RecordDecoder::Quantity(size_t row) const {
  const FormattedRow& formatted = m_rows[row];
  return formatted.outdoor ? OutdoorRuleQuantity(static_cast<OutdoorRule>(formatted.rule))
                           : UnitRuleQuantity(static_cast<UnitRule>(formatted.rule));
}

RowEventKind RecordDecoder::EventKind(size_t row) const {
  const FormattedRow& formatted = m_rows[row];
  return formatted.outdoor ? OutdoorRuleEventKind(static_cast<OutdoorRule>(formatted.rule))
                           : UnitRuleEventKind(static_cast<UnitRule>(formatted.rule));
}

double RecordDecoder::Value(size_t row) const {
  const FormattedRow& formatted = m_rows[row];
  return formatted.outdoor
             ? OutdoorRuleValue(static_cast<OutdoorRule>(formatted.rule), ValueOf(formatted),
                                formatted.factor)
             : UnitRuleValue(static_cast<UnitRule>(formatted.rule), ValueOf(formatted), formatted.factor);
}
