// Record text: the 8-bit text form of one valid frame's values.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// Each value in frame order as a signed decimal number followed by a comma
// ("%d," per value): "0,1,-1,". Nothing else, so the text ends with a comma.
std::string FormatRecordText(std::span<const int16_t> values);

// Appends the record text of values to out (for callers that reuse a buffer).
void AppendRecordText(std::string& out, std::span<const int16_t> values);
