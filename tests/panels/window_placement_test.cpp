// A window's first place: whole on the screen's free area with its frame.
#include "panels/window_placement.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowPlacementTest, FitsTheFreeAreaWithItsFrame) {
  const QSize wanted(1100, 600);
  const QSize minimum(500, 300);
  struct Case {
    const char* name;
    QRect available;
    QRect placed;  // the frame's top left and the client area's size
  };
  const Case cases[] = {
      // Room to spare: the size wanted, centred with the frame.
      {"1280x1024", QRect(0, 0, 1280, 1024), QRect(82, 188, 1100, 600)},
      // A panel at the top: centred in what is left below it.
      {"panel", QRect(0, 30, 1280, 994), QRect(82, 203, 1100, 600)},
      // Smaller screens: cut to the free area less the frame.
      {"1024x600", QRect(0, 0, 1024, 600), QRect(0, 0, 1008, 552)},
      {"second screen", QRect(1280, 0, 800, 480), QRect(1280, 0, 784, 432)},
      // Never below the minimum; the top left stays on the screen.
      {"tiny", QRect(0, 0, 400, 240), QRect(0, 0, 500, 300)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PlaceWindow(c.available, wanted, minimum), c.placed);
  }
}

}  // namespace
