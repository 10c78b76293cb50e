// The application icon (icon 128) in every size it is drawn at.
#pragma once

#include <QIcon>

// Icon 128 with its 16, 24, 32, 48 and 256 pixel images, and each of
// those sizes doubled for screens at a scale factor of 2 (64, 96, 128 and
// 512 pixels besides). Needs Qt's application object.
QIcon LoadAppIcon();
