// Built-in label texts of every record position, used as INI keys and defaults.
#pragma once

#include <array>

// Number of entries in DefaultParamLabels.
inline constexpr int kDefaultParamLabelCount = 150;

// Where each label range starts in DefaultParamLabels and how long it is.
inline constexpr int kStatusLabelFirst = 0;     // outdoor unit, STATUSLABELS
inline constexpr int kStatusBuiltinCount = 69;  // status positions 0..68
inline constexpr int kIndoorLabelFirst = 70;    // unit sets 0..2 (and 4..9)
inline constexpr int kZizuLabelFirst = 110;     // unit set 3
inline constexpr int kUnitBuiltinCount = 40;    // unit positions 0..39

// The built-in labels as 8-bit Windows-1252 texts (the degree sign is byte
// 0xB0). Entry 69 is a null pointer: the table has no text there and no
// position uses it.
extern const std::array<const char*, kDefaultParamLabelCount> DefaultParamLabels;
