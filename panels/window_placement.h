// Where a window of its own first goes: on its screen's free area whole,
// whatever the screen's size and wherever the window manager would put it.
#pragma once

#include <QRect>
#include <QSize>

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
