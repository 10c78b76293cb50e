// Record layout: how many outdoor status values and unit blocks a record
// holds, and the layout the control board sends when nothing else is set.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The built-in layout: 69 outdoor status values and 4 units of 40 values,
// 229 values a record. The configuration's STATUSPARAMS, NUMDEVICES and
// ACPARAMS default to it, and so do the tools' --layout options.
inline constexpr int32_t kDefaultStatusParams = 69;
inline constexpr int32_t kDefaultNumDevices = 4;
inline constexpr int32_t kDefaultAcParams = 40;

// Most fields a record text is split into (SplitRecord): the values past the
// 2500th of a record are logged but never shown, and need no label.
inline constexpr int kMaxRecordFields = 2500;

// Positions 0 to statusParams - 1 of a record are the outdoor unit's status
// parameters; position statusParams + acParams * u + t is parameter t of
// unit u. Negative counts are treated as 0.
struct RecordLayout {
  int statusParams = kDefaultStatusParams;
  int numDevices = kDefaultNumDevices;
  int acParams = kDefaultAcParams;
};

// Number of values a record of this layout carries (S + N * A), the count the
// link is told to expect; 0 when any count is negative.
constexpr int64_t RecordValueCount(const RecordLayout& layout) {
  if (layout.statusParams < 0 || layout.numDevices < 0 || layout.acParams < 0) return 0;
  return int64_t{layout.statusParams} + int64_t{layout.numDevices} * int64_t{layout.acParams};
}

// The layout written "S,N,A" (statusParams, numDevices, acParams), each a
// decimal number from 0 up; nullopt for any other text.
std::optional<RecordLayout> ParseRecordLayout(std::string_view text);
