// Centring a top-level window on its owner.
#include "ui/window_placement.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>

void CenterOnOwner(QWidget* window, const QWidget* owner) {
  const QWidget* ownerWindow = owner == nullptr ? nullptr : owner->window();
  QScreen* screen = ownerWindow != nullptr ? ownerWindow->screen() : window->screen();
  const QRect available = screen != nullptr ? screen->availableGeometry() : QRect();
  const QRect area = ownerWindow != nullptr ? ownerWindow->frameGeometry() : available;
  QRect place = window->frameGeometry();
  if (!window->testAttribute(Qt::WA_WState_Created) && ownerWindow != nullptr) {
    // Not on screen yet, so without a frame: it will get one like its owner's.
    const QRect ownerFrame = ownerWindow->frameGeometry();
    const QRect ownerClient = ownerWindow->geometry();
    place = window->geometry().marginsAdded(
        QMargins(ownerClient.left() - ownerFrame.left(), ownerClient.top() - ownerFrame.top(),
                 ownerFrame.right() - ownerClient.right(), ownerFrame.bottom() - ownerClient.bottom()));
  }
  place.moveCenter(area.center());
  if (!available.isEmpty()) {
    place.moveLeft(std::max(available.left(), std::min(place.left(), available.right() + 1 - place.width())));
    place.moveTop(std::max(available.top(), std::min(place.top(), available.bottom() + 1 - place.height())));
  }
  window->move(place.topLeft());
}
