// One-decimal number texts with halves rounded away from zero.
#include "decode/display_text.h"

#include <charconv>
#include <cmath>

namespace {

// Largest magnitude at which a double can still hold a fraction of a quarter.
constexpr double kQuarterResolutionLimit = 0x1p51;
// Below this magnitude ten times a value stays below 2^53, so its tenths are
// whole numbers a double and an int64_t both hold exactly.
constexpr double kExactTenthsLimit = 0x1p49;

// Longest text of a 64-bit magnitude with one decimal: 20 digits, the point
// and a tenth, and a sign.
constexpr size_t kMaxTenthsTextBytes = 24;

// Writes the decimal digits of magnitude so that they end just before end;
// returns where they start.
char* DigitsEndingAt(char* end, uint64_t magnitude) {
  do {
    *--end = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  return end;
}

// Appends tenths / 10 with one decimal, e.g. 3 gives "0.3"; negative puts a
// minus sign first, also before "0.0" (as "%.1f" writes -0.04).
void AppendTenths(bool negative, uint64_t tenths, std::string& out) {
  char text[kMaxTenthsTextBytes];
  char* const end = text + sizeof text;
  end[-1] = static_cast<char>('0' + tenths % 10);
  end[-2] = '.';
  char* start = DigitsEndingAt(end - 2, tenths / 10);
  if (negative) *--start = '-';
  out.append(start, end);
}

// Ten times x when that product is exact in a double, which holds for every
// value the lists show (a 16-bit value times 1 or 1/16, or a float): x has at
// most 49 significant bits then. False when rounding would enter.
bool ExactTenTimes(double x, double& tenTimes) {
  if (!(std::fabs(x) < kExactTenthsLimit)) return false;  // also NaN
  // 8x and 2x are exact; their sum is exact exactly when the error term of
  // the two-term sum (Fast2Sum, valid as |8x| >= |2x|) is zero.
  const double eight = x * 8.0;
  const double two = x * 2.0;
  const double sum = eight + two;
  if (two - (sum - eight) != 0.0) return false;
  tenTimes = sum;
  return true;
}

}  // namespace

void AppendDecimal(int64_t value, std::string& out) {
  char text[kMaxTenthsTextBytes];
  char* const end = text + sizeof text;
  char* start =
      DigitsEndingAt(end, value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value));
  if (value < 0) *--start = '-';
  out.append(start, end);
}

void AppendOneDecimalText(double x, std::string& out) {
  // The common case, exactly: with 10x exact, the one-decimal text is 10x
  // rounded to a whole number of tenths, halves away from zero (std::round),
  // rather than by the formatter, which rounds exact halves to even.
  double tenTimes = 0.0;
  if (ExactTenTimes(x, tenTimes)) {
    const double tenths = std::fabs(std::round(tenTimes));
    AppendTenths(std::signbit(x), static_cast<uint64_t>(tenths), out);
    return;
  }
  // A double lies exactly halfway between two one-decimal numbers only when
  // it is an odd number of quarters (k + 0.25 or k + 0.75); those beyond the
  // exact range above are rounded by hand, in integers.
  if (std::fabs(x) < kQuarterResolutionLimit) {
    const double quarters = x * 4.0;  // exact: a power-of-two scaling
    if (quarters == std::trunc(quarters)) {
      const auto q = static_cast<int64_t>(quarters);
      if (q % 2 != 0) {
        // q / 4 in tenths is 2.5 * q; away from zero adds half a tenth.
        const int64_t tenths = (10 * q + (q > 0 ? 2 : -2)) / 4;
        AppendTenths(tenths < 0,
                     tenths < 0 ? 0 - static_cast<uint64_t>(tenths) : static_cast<uint64_t>(tenths), out);
        return;
      }
    }
  }
  // Every other value is not a tie, so correct rounding is the wanted result;
  // to_chars rounds correctly and ignores the locale.
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, 1);
  out.append(buffer, result.ptr);
}

void AppendGenericText(int32_t value, double factor, std::string& out) {
  const size_t start = out.size();
  AppendOneDecimalText(value * factor, out);
  if (out.size() - start >= 2 && out.compare(out.size() - 2, 2, ".0") == 0) {
    out.resize(out.size() - 2);
  }
}

float FahrenheitValue(int32_t value, double factor) {
  const double celsius = value * factor;
  // Rounded to single precision on purpose: the shown tenths follow the float
  // (-4 sixteenths is 31.55 exactly but 31.5499992 as a float, shown 31.5).
  return static_cast<float>(celsius * 9.0 / 5.0 + 32.0);
}

void AppendFahrenheitText(int32_t value, double factor, std::string& out) {
  AppendOneDecimalText(FahrenheitValue(value, factor), out);
}

std::string OneDecimalText(double x) {
  std::string text;
  AppendOneDecimalText(x, text);
  return text;
}

std::string GenericText(int32_t value, double factor) {
  std::string text;
  AppendGenericText(value, factor, text);
  return text;
}

std::string FahrenheitText(int32_t value, double factor) {
  std::string text;
  AppendFahrenheitText(value, factor, text);
  return text;
}
