// Where a window of its own first goes: a tool window beside the window it
// belongs to, so that neither covers the other; a main window whole on its
// screen's free area, whatever the screen's size and wherever the window
// manager would put it.
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// Where a window of frame size `size` goes beside `owner` (its frame, in
// screen coordinates) on a screen whose free area is `screen`: right of the
// owner, its tops level, when there is room; else left of it; else at the
// screen's right edge. Always wholly on the screen where it fits.
QPoint BesidePosition(const QRect& owner, const QSize& size, const QRect& screen, int gapPx);

// Moves `window` (not shown yet) beside `owner` on the owner's screen.
void PlaceBeside(QWidget& window, const QWidget& owner);

// Room on the screen for a window manager's frame, which is not known
// before a window is first shown: the borders and the title bar.
inline constexpr int kFrameAllowanceWidthPx = 16;
inline constexpr int kFrameAllowanceHeightPx = 48;

// For a window that wants a client area of `wanted` on a screen whose free
// area (QScreen::availableGeometry) is `available`: the size of its client
// area (no larger than the free area less the frame allowance, no smaller
// than `minimum`) and the top left of its frame (QWidget::move), centred
// with the frame and never above or left of the free area.
QRect PlaceWindow(const QRect& available, const QSize& wanted, const QSize& minimum);
