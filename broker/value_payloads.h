// What the value topics carry: one shown value, or a unit's values as JSON.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "decode/value_quantity.h"

struct RunLayout;
struct RunRecord;
struct LayoutTopicNames;

// The payload of a value's topic, from the text the window shows: for a row
// that shows a number, the number as shown without its unit ("13 %" ->
// "13", "77.0" -> "77.0"); for a state or a name, and for a numeric row
// whose text holds no number, the text itself in UTF-8 ("Heat").
std::string ValuePayload(std::string_view shownText, ValueQuantity quantity);

// Whether payload (from ValuePayload) is a JSON number.
bool IsJsonNumber(std::string_view payload);

// The JSON object of list's values in record: one member per row the record
// fills, named by its topic level, a number for numbers, a string
// otherwise, in row order: {"compressor":13,"working_mode":"Heat"}.
std::string UnitStateJson(const RunLayout& layout, const LayoutTopicNames& names, size_t list,
                          const RunRecord& record);
