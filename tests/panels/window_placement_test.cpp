// A tool window beside its owner, wholly on the screen.
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

}  // namespace
