// A second plenx-logger started while the first is open (two adapters, two
// installations) opens its window a step right and down of the first's,
// not exactly on top of it, where the first would vanish from sight.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/desktop/desktop_program.h"

namespace {

TEST(SecondWindowTest, OpensCascadedFromTheFirst) {
  XSession x;
  SKIP_WITHOUT_X_SESSION(x);
  DesktopRun run(x, {"--port", "COM9"});
  ASSERT_TRUE(run.Started()) << run.Problem();
  const XGeometry first = x.Geometry(run.MainWindow());

  // The same user, so the same runtime folder: run's environment holds.
  LoggerProcess second(run.Folder(), {"--port", "COM9"}, "second");
  std::vector<XWindowId> windows;
  ASSERT_TRUE(XSession::Poll([&] {
    windows = x.FindWindows(kMainWindowTitle);
    return windows.size() == 2;
  })) << second.Err();
  const XWindowId secondWindow = windows[0] == run.MainWindow() ? windows[1] : windows[0];
  const XGeometry cascaded = x.Geometry(secondWindow);
  EXPECT_GT(cascaded.x, first.x);
  EXPECT_GT(cascaded.y, first.y);
  EXPECT_EQ(cascaded.x - first.x, cascaded.y - first.y);
  EXPECT_EQ(cascaded.width, first.width);
  EXPECT_EQ(cascaded.height, first.height);
}

}  // namespace
