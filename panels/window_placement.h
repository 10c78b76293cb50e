// Placing a small tool window beside the window it belongs to, so that
// neither covers the other.
#pragma once

#include <QRect>

class QWidget;

// Where a window of frame size `size` goes beside `owner` (its frame, in
// screen coordinates) on a screen whose free area is `screen`: right of the
// owner, its tops level, when there is room; else left of it; else at the
// screen's right edge. Always wholly on the screen where it fits.
QPoint BesidePosition(const QRect& owner, const QSize& size, const QRect& screen, int gapPx);

// Moves `window` (not shown yet) beside `owner` on the owner's screen.
void PlaceBeside(QWidget& window, const QWidget& owner);
