// One-decimal display texts: halves away from zero, ".0" removal, and the
// single-precision step of the Fahrenheit texts.
#include "decode/display_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

#include "decode/shown_params.h"

namespace {

TEST(OneDecimalTextTest, RoundsHalvesAwayFromZero) {
  const struct {
    double x;
    std::string text;
  } cases[] = {
      {0.25, "0.3"},
      {-0.25, "-0.3"},
      {1.75, "1.8"},
      {-1.75, "-1.8"},
      {0.75, "0.8"},
      {12345.25, "12345.3"},
      {1e15 + 0.25, "1000000000000000.3"},  // a quarter still representable
      // Not halves in binary: the nearest doubles lie below or above.
      {0.35, "0.3"},
      {0.05, "0.1"},
      {2.5, "2.5"},
      {0.0, "0.0"},
      {-0.0625, "-0.1"},
      {33.125, "33.1"},
      {-0.04, "-0.0"},  // as "%.1f" writes it
      {-0.0, "-0.0"},
      {0x1p50 + 0.25, "1125899906842624.3"},  // ten times it is not exact
      {0x1p60, "1152921504606846976.0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OneDecimalText(c.x), c.text) << c.x;
  }
}

TEST(GenericTextTest, ScalesRoundsAndDropsPointZero) {
  const struct {
    int32_t value;
    double factor;
    const char* text;
  } cases[] = {
      {21, 1.0, "21"},
      {0, 1.0, "0"},
      {100, 1.0, "100"},
      {-7, 1.0, "-7"},
      {-32768, 1.0, "-32768"},
      {16, kSixteenthScale, "1"},
      {5, kSixteenthScale, "0.3"},  // 0.3125
      {4, kSixteenthScale, "0.3"},  // 0.25, a half
      {-4, kSixteenthScale, "-0.3"},
      {28, kSixteenthScale, "1.8"},  // 1.75, a half
      {8, kSixteenthScale, "0.5"},
      {-1, kSixteenthScale, "-0.1"},
      {32767, kSixteenthScale, "2047.9"},
      {-32768, kSixteenthScale, "-2048"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GenericText(c.value, c.factor), c.text) << c.value;
  }
}

// Independent control for every 16-bit value in sixteenths: v / 16 in
// tenths is 5 v / 8, rounded in integers with halves away from zero.
std::string SixteenthsOracle(int32_t v) {
  const int64_t eighthsOfTenths = 5 * int64_t{v};
  const int64_t magnitude = (std::llabs(eighthsOfTenths) + 4) / 8;  // + 4: a half rounds up
  std::string text = std::string(v < 0 && magnitude != 0 ? "-" : "") + std::to_string(magnitude / 10);
  if (magnitude % 10 != 0) text += "." + std::to_string(magnitude % 10);
  return text;
}

TEST(GenericTextTest, MatchesExactRoundingForEvery16BitValue) {
  int mismatches = 0;
  for (int32_t v = -32768; v <= 32767; ++v) {
    for (const auto& [factor, expected] :
         {std::pair{1.0, std::to_string(v)}, std::pair{kSixteenthScale, SixteenthsOracle(v)}}) {
      const std::string actual = GenericText(v, factor);
      if (actual != expected && ++mismatches <= 5) {
        ADD_FAILURE() << "v = " << v << " factor " << factor << ": " << actual << " != " << expected;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(FahrenheitTextTest, ExamplesKeepPointZeroAndFollowTheFloat) {
  const struct {
    int32_t sixteenths;
    const char* text;
  } cases[] = {
      {400, "77.0"},  {0, "32.0"},    {16, "33.8"}, {-4, "31.5"},    {12, "33.3"},
      {-180, "11.8"}, {-320, "-4.0"}, {-2, "31.8"}, {1600, "212.0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FahrenheitText(c.sixteenths, kSixteenthScale), c.text) << c.sixteenths;
  }
}

// Independent control for every 16-bit value: the float nearest to the exact
// (9 v + 2560) / 80 chosen by exact integer comparison, its tenths rounded
// with std::llround (halves away from zero; 10 y is exact in a double).
std::string FahrenheitOracle(int32_t v) {
  const int64_t numerator = 9 * int64_t{v} + 2560;  // degrees F times 80
  const float guess = static_cast<float>(numerator / 80.0);
  float best = guess;
  double bestError = std::fabs(80.0 * best - numerator);
  for (const float candidate : {std::nextafter(guess, -INFINITY), std::nextafter(guess, INFINITY)}) {
    const double error = std::fabs(80.0 * candidate - numerator);
    if (error < bestError) {
      best = candidate;
      bestError = error;
    }
  }
  const long long tenths = std::llround(10.0 * best);
  const long long magnitude = std::llabs(tenths);
  return std::string(tenths < 0 ? "-" : "") + std::to_string(magnitude / 10) + "." +
         std::to_string(magnitude % 10);
}

TEST(FahrenheitTextTest, MatchesExactNearestFloatForEvery16BitValue) {
  int mismatches = 0;
  for (int32_t v = -32768; v <= 32767; ++v) {
    const std::string expected = FahrenheitOracle(v);
    const std::string actual = FahrenheitText(v, kSixteenthScale);
    if (actual != expected && ++mismatches <= 5) {
      ADD_FAILURE() << "v = " << v << ": " << actual << " != " << expected;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
