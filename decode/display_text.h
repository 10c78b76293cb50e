// Display texts of numbers: one decimal, halves away from zero.
#pragma once

#include <cstdint>
#include <string>

// x with exactly one decimal ("%.1f" layout, '.' as the decimal point in any
// locale). A value exactly halfway between two one-decimal numbers is rounded
// away from zero: 0.25 gives "0.3", -0.25 "-0.3", 1.75 "1.8".
std::string OneDecimalText(double x);

// The generic text of a value with its scale factor: value * factor with one
// decimal, a trailing ".0" removed (21 gives "21", 5 / 16 gives "0.3").
std::string GenericText(int32_t value, double factor);

// The temperature text of a value in units of factor degrees Celsius: the
// single-precision number nearest to value * factor * 9 / 5 + 32, with one
// decimal and nothing removed (400 / 16 gives "77.0", -4 / 16 gives "31.5").
std::string FahrenheitText(int32_t value, double factor);

// The temperature FahrenheitText shows, before its rounding to one decimal:
// the single-precision number nearest to value * factor * 9 / 5 + 32.
float FahrenheitValue(int32_t value, double factor);

// The same texts appended to out, for callers that build many texts into
// one buffer without a string per text.
void AppendOneDecimalText(double x, std::string& out);
void AppendGenericText(int32_t value, double factor, std::string& out);
void AppendFahrenheitText(int32_t value, double factor, std::string& out);

// value in decimal, appended to out.
void AppendDecimal(int64_t value, std::string& out);
