// Placing a window of its own on its screen.
#include "panels/window_placement.h"

#include <algorithm>

QRect PlaceWindow(const QRect& available, const QSize& wanted, const QSize& minimum) {
  const int width =
      std::max(std::min(wanted.width(), available.width() - kFrameAllowanceWidthPx), minimum.width());
  const int height =
      std::max(std::min(wanted.height(), available.height() - kFrameAllowanceHeightPx), minimum.height());
  const int left = available.left() + std::max(0, (available.width() - width - kFrameAllowanceWidthPx) / 2);
  const int top = available.top() + std::max(0, (available.height() - height - kFrameAllowanceHeightPx) / 2);
  return QRect(left, top, width, height);
}
