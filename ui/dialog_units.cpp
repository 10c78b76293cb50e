// Dialog units to pixels.
#include "ui/dialog_units.h"

#include <cstdint>

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
  const bool negative = (product < 0) != (denominator < 0);
  const std::int64_t magnitude = product < 0 ? -product : product;
  const std::int64_t divisor = denominator < 0 ? -static_cast<std::int64_t>(denominator) : denominator;
  const std::int64_t rounded = (magnitude + divisor / 2) / divisor;
  return static_cast<int>(negative ? -rounded : rounded);
}

int DialogUnitsToPixelsX(int units) { return MulDiv(units, kDialogBaseUnitXPx, kDialogUnitsPerBaseX); }

int DialogUnitsToPixelsY(int units) { return MulDiv(units, kDialogBaseUnitYPx, kDialogUnitsPerBaseY); }

CRect DialogRectToPixels(int x, int y, int width, int height) {
  const int left = DialogUnitsToPixelsX(x);
  const int top = DialogUnitsToPixelsY(y);
  return CRect{left, top, left + DialogUnitsToPixelsX(width), top + DialogUnitsToPixelsY(height)};
}
