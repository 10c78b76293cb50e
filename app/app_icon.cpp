// Icon 128 from the embedded PNGs.
#include "app/app_icon.h"

#include <QString>

namespace {
// Pixel sizes of the embedded images of icon 128: 16, 24, 32, 48 and 256,
// and the images that draw the same sizes sharply on a screen at a scale
// factor of 2.
constexpr int kAppIconSizesPx[] = {16, 24, 32, 48, 64, 96, 128, 256, 512};
}  // namespace

QIcon LoadAppIcon() {
  QIcon icon;
  for (int size : kAppIconSizesPx) icon.addFile(QString(":/plenx/plenx_logger_%1.png").arg(size));
  return icon;
}
