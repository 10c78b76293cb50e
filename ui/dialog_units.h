// Conversion of dialog-template units to pixels.
//
// Templates are laid out in dialog units of an 8-point dialog font at 96 dpi,
// whose base units are 6 px across and 13 px down: one horizontal unit is a
// quarter of the base width (1.5 px) and one vertical unit an eighth of the
// base height (1.625 px), so a 500 x 240 template is 750 x 390 px.
#pragma once

#include "ui/win_types.h"

inline constexpr int kDialogBaseUnitXPx = 6;
inline constexpr int kDialogBaseUnitYPx = 13;
inline constexpr int kDialogUnitsPerBaseX = 4;
inline constexpr int kDialogUnitsPerBaseY = 8;

// number * numerator / denominator through a 64-bit intermediate, rounded
// to the nearest integer with halves away from zero; -1 when denominator
// is 0.
int MulDiv(int number, int numerator, int denominator);

int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);

// A template rectangle given as x, y, width, height in dialog units, in
// pixels; position and size are converted each on its own, as the template
// loader does, so a control's pixel size does not depend on its position.
CRect DialogRectToPixels(int x, int y, int width, int height);
