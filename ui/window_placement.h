// Placing top-level windows over their owner. Internal to the framework.
#pragma once

class QWidget;

// Moves the top-level `window` so that its centre lies on the centre of
// `owner`'s top-level window, or of the screen `window` is on when `owner`
// is null; then pulls it back inside that screen's available area as far
// as it fits. Before its first show a window has no frame yet; it is
// placed as if it had one like its owner's.
void CenterOnOwner(QWidget* window, const QWidget* owner);
