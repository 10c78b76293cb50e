// Texts of the core (Windows-1252) and numbers as the plain Qt windows show
// them.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

#include "decode/value_quantity.h"

// The Windows-1252 text as a Qt string.
QString Windows1252ToQt(std::string_view text);

// A Qt path as the file system's bytes (UTF-8 on Linux), never re-encoded
// on the way back to the system.
std::string PathBytes(const QString& path);

// value in the shortest text that reads back as the same float ("36.95"),
// with its unit: " °F", " %", or none for other numbers.
QString TrendValueText(float value, ValueQuantity quantity);

// A wall-clock time (WallClockMs) as "2015-03-07 14:05:09".
QString TrendTimeText(int64_t timeMs);
