// A window's first place: beside its owner, or whole on the screen's free
// area with its frame.
#include "panels/window_placement.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowPlacement, BesideTheOwnerWhereTheScreenHasRoom) {
  const QRect screen(0, 0, 1280, 1024);
  const QSize panel(300, 200);
  struct Case {
    const char* what;
    QRect owner;
    QPoint expected;
  };
  const Case cases[] = {
      {"RightOfIt", QRect(100, 50, 750, 420), QPoint(858, 50)},
      {"LeftOfItAtTheRightEdge", QRect(500, 50, 750, 420), QPoint(192, 50)},
      {"AtTheRightEdgeWhenNeitherSideHasRoom", QRect(100, 50, 1100, 420), QPoint(980, 50)},
      {"RaisedToStayOnTheScreen", QRect(100, 900, 750, 420), QPoint(858, 824)},
      {"OwnerAboveTheScreen", QRect(100, -30, 750, 420), QPoint(858, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(BesidePosition(c.owner, panel, screen, 8), c.expected);
  }
}

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
