// Turns one record text into the Value texts of the outdoor and unit lists.
#include "decode/record_view.h"

#include "decode/display_text.h"
#include "decode/outdoor_rules.h"
#include "decode/record_fields.h"
#include "decode/shown_params.h"
#include "decode/unit_rules.h"

RecordTexts DecodeRecord(const RecordLayout& layout, std::string_view record) {
  std::vector<std::string> fields;
  SplitRecord(record, fields);

  RecordTexts texts;
  texts.listTexts.resize(1);  // the outdoor list, even when it has no rows
  const auto fieldCount = static_cast<int64_t>(fields.size());

  texts.tooShort = !ForEachShownRow(layout, [&](int listIndex, int, const ShownRow& row) {
    if (row.position >= fieldCount) {
      texts.missingPosition = row.position;
      return false;
    }
    const int32_t value = FieldValue(fields[row.position]);
    std::string text;
    if (listIndex == kOutdoorListIndex) {
      const double factor = StatusParamScale(row.param);
      text = GenericText(value, factor);
      ApplyOutdoorRule(row.param, value, factor, text);
    } else {
      const double factor = UnitParamScale(row.param);
      text = GenericText(value, factor);
      ApplyUnitRules(row.position, value, factor, text);
    }
    if (static_cast<size_t>(listIndex) >= texts.listTexts.size()) {
      texts.listTexts.resize(static_cast<size_t>(listIndex) + 1);
    }
    texts.listTexts[listIndex].push_back(std::move(text));
    return true;
  });
  return texts;
}
