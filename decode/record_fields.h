// Splitting a record text into fields and reading a field's value.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/record_layout.h"  // kMaxRecordFields

// Splits text at its commas into fields (blanks and tabs kept), replacing the
// contents of fields. A text that ends with a comma yields one empty field
// after the last value ("1,2," gives 1 | 2 | empty); an empty text yields
// none. At most kMaxRecordFields fields are kept, the trailing empty one
// included; the rest of the text is dropped. Returns the number of fields.
int SplitRecord(std::string_view text, std::vector<std::string>& fields);

// The value (FieldValue) of every field SplitRecord would cut from text, in
// order, replacing the contents of values; the same count, without a string
// per field. Returns the number of fields.
int RecordFieldValues(std::string_view text, std::vector<int32_t>& values);

// The field read as a decimal integer the way strtol reads it: leading white
// space skipped, an optional sign, then digits up to the first other
// character; no digits gives 0. Out-of-range text saturates at the 32-bit
// range, as a 32-bit long does, instead of overflowing.
int32_t FieldValue(std::string_view field);
