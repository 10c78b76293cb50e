// What the value topics carry.
#include "broker/value_payloads.h"

#include <algorithm>

#include "broker/topic_names.h"
#include "config/text_encoding.h"
#include "decode/json_text.h"
#include "run/run_layout.h"
#include "run/run_record.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The length of the number at the start of text ("-12.5 rpm" -> 5): an
// optional '-', digits, and '.' with digits; 0 when none starts it.
size_t LeadingNumberLength(std::string_view text) {
  size_t pos = 0;
  if (pos < text.size() && text[pos] == '-') ++pos;
  const size_t firstDigit = pos;
  while (pos < text.size() && IsDigit(text[pos])) ++pos;
  if (pos == firstDigit) return 0;
  if (pos < text.size() && text[pos] == '.') {
    const size_t fraction = pos + 1;
    size_t end = fraction;
    while (end < text.size() && IsDigit(text[end])) ++end;
    if (end > fraction) pos = end;
  }
  return pos;
}

}  // namespace

std::string ValuePayload(std::string_view shownText, ValueQuantity quantity) {
  if (quantity != ValueQuantity::kNone) {
    const size_t length = LeadingNumberLength(shownText);
    // "13 %" keeps 13; "12abc" is not a number as shown.
    if (length > 0 && (length == shownText.size() || shownText[length] == ' ')) {
      return std::string(shownText.substr(0, length));
    }
  }
  std::string utf8;
  AppendShownTextAsUtf8(shownText, utf8);
  return utf8;
}

bool IsJsonNumber(std::string_view payload) {
  const size_t length = LeadingNumberLength(payload);
  if (length == 0 || length != payload.size()) return false;
  // JSON has no leading zeros ("07", "-01").
  const size_t digits = payload.front() == '-' ? 1 : 0;
  return !(payload[digits] == '0' && digits + 1 < payload.size() && IsDigit(payload[digits + 1]));
}

std::string UnitStateJson(const RunLayout& layout, const LayoutTopicNames& names, size_t list,
                          const RunRecord& record) {
  std::string json = "{";
  const RunList& rows = layout.lists[list];
  const size_t end = std::min({rows.firstRow + rows.rowCount, record.filledRows, record.texts.size()});
  for (size_t row = rows.firstRow; row < end; ++row) {
    if (json.size() > 1) json += ',';
    AppendJsonString(names.params[row], json);
    json += ':';
    const std::string payload = ValuePayload(record.texts[row], layout.rows[row].quantity);
    if (layout.rows[row].quantity != ValueQuantity::kNone && IsJsonNumber(payload)) {
      json += payload;
    } else {
      AppendJsonString(payload, json);
    }
  }
  json += '}';
  return json;
}
