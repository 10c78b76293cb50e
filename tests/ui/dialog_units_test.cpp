// Dialog units become pixels with the base units of an 8-point dialog font
// at 96 dpi (6 x 13 px): 1.5 px across and 1.625 px down per unit.
#include "ui/dialog_units.h"

#include <gtest/gtest.h>

namespace {

TEST(DialogUnitsTest, MulDivRoundsHalvesAwayFromZero) {
  struct Case {
    int number, numerator, denominator, expected;
  };
  const Case cases[] = {
      {1, 6, 4, 2},
      {3, 6, 4, 5},
      {-1, 6, 4, -2},
      {5, 13, 8, 8},
      {1, 13, 8, 2},
      {7, -6, 4, -11},
      {2000000000, 3, 4, 1500000000},  // the product needs 64 bits
      {1, 1, 0, -1},                   // division by zero
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.expected)
        << c.number << "*" << c.numerator << "/" << c.denominator;
  }
}

TEST(DialogUnitsTest, MainDialogAndControlsConvert) {
  EXPECT_EQ(DialogRectToPixels(0, 0, 500, 240), (CRect{0, 0, 750, 390}));
  // Position and size each round on their own: 93 -> 139.5 -> 140 and
  // 219 -> 328.5 -> 329, so right is 469, not 312 * 1.5 = 468.
  EXPECT_EQ(DialogRectToPixels(93, 14, 219, 127), (CRect{140, 23, 469, 229}));
  EXPECT_EQ(DialogRectToPixels(10, 180, 75, 15), (CRect{15, 293, 128, 317}));
}

}  // namespace
