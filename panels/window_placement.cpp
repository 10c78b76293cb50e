// Placing a window of its own: beside its owner, or whole on its screen.
#include "panels/window_placement.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {

// Between the owner's frame and the tool window's.
constexpr int kBesideGapPx = 8;

}  // namespace

QPoint BesidePosition(const QRect& owner, const QSize& size, const QRect& screen, int gapPx) {
  int x = owner.right() + 1 + gapPx;
  if (x + size.width() - 1 > screen.right()) {
    const int left = owner.left() - gapPx - size.width();
    x = left >= screen.left() ? left : screen.right() + 1 - size.width();
  }
  x = std::max(x, screen.left());
  const int y = std::max(screen.top(), std::min(owner.top(), screen.bottom() + 1 - size.height()));
  return {x, y};
}

void PlaceBeside(QWidget& window, const QWidget& owner) {
  const QScreen* screen = owner.screen();
  if (screen == nullptr) return;
  window.adjustSize();
  window.move(BesidePosition(owner.frameGeometry(), window.frameGeometry().size(),
                             screen->availableGeometry(), kBesideGapPx));
}

QRect PlaceWindow(const QRect& available, const QSize& wanted, const QSize& minimum) {
  const int width =
      std::max(std::min(wanted.width(), available.width() - kFrameAllowanceWidthPx), minimum.width());
  const int height =
      std::max(std::min(wanted.height(), available.height() - kFrameAllowanceHeightPx), minimum.height());
  const int left = available.left() + std::max(0, (available.width() - width - kFrameAllowanceWidthPx) / 2);
  const int top = available.top() + std::max(0, (available.height() - height - kFrameAllowanceHeightPx) / 2);
  return QRect(left, top, width, height);
}
