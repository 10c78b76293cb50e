// The application icon (icon 128) in every size it is drawn at.
#pragma once

#include <QIcon>

// Icon 128 with its 16, 24, 32, 48 and 256 pixel images. Needs Qt's
// application object.
QIcon LoadAppIcon();
