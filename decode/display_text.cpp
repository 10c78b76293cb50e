// One-decimal number texts with halves rounded away from zero.
#include "decode/display_text.h"

#include <charconv>
#include <cmath>

namespace {

// Largest magnitude at which a double can still hold a fraction of a quarter.
constexpr double kQuarterResolutionLimit = 0x1p51;

// Text of tenths / 10 with one decimal, e.g. -3 gives "-0.3".
std::string TenthsText(int64_t tenths) {
  const uint64_t magnitude = tenths < 0 ? 0 - static_cast<uint64_t>(tenths) : static_cast<uint64_t>(tenths);
  std::string text = tenths < 0 ? "-" : "";
  text += std::to_string(magnitude / 10);
  text += '.';
  text += static_cast<char>('0' + magnitude % 10);
  return text;
}

}  // namespace

std::string OneDecimalText(double x) {
  // Ties are decided here rather than by the formatter, which rounds them to
  // even (0.25 would read 0.2). A double lies exactly halfway between two
  // one-decimal numbers only when it is an odd number of quarters (k + 0.25
  // or k + 0.75), so those are rounded by hand, exactly, in integers.
  if (std::fabs(x) < kQuarterResolutionLimit) {
    const double quarters = x * 4.0;  // exact: a power-of-two scaling
    if (quarters == std::trunc(quarters)) {
      const auto q = static_cast<int64_t>(quarters);
      if (q % 2 != 0) {
        // q / 4 in tenths is 2.5 * q; away from zero adds half a tenth.
        return TenthsText((10 * q + (q > 0 ? 2 : -2)) / 4);
      }
    }
  }
  // Every other value is not a tie, so correct rounding is the wanted result;
  // to_chars rounds correctly and ignores the locale.
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, 1);
  return std::string(buffer, result.ptr);
}

std::string GenericText(int32_t value, double factor) {
  std::string text = OneDecimalText(value * factor);
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, ".0") == 0) {
    text.resize(text.size() - 2);
  }
  return text;
}

std::string FahrenheitText(int32_t value, double factor) {
  const double celsius = value * factor;
  // Rounded to single precision on purpose: the shown tenths follow the float
  // (-4 sixteenths is 31.55 exactly but 31.5499992 as a float, shown 31.5).
  const float fahrenheit = static_cast<float>(celsius * 9.0 / 5.0 + 32.0);
  return OneDecimalText(fahrenheit);
}
