// The Trends window beside a running main window, under a window manager:
// a window of its own that the technician raises, uses with mouse and
// keys, and closes while the run goes on; the main window's boxes block
// the main window only.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/desktop/desktop_program.h"

namespace {

// Places in the Trends window's client area, in pixels: its chart and its
// parameter list (below the row of buttons).
constexpr int kTrendsChartX = 700;
constexpr int kTrendsChartY = 300;
constexpr int kTrendsListX = 60;
constexpr int kTrendsListY = 120;
// The title of the main window's message boxes: the program's name.
const std::string kBoxTitle = "^Plenx Logger$";

// The header of a CSV file the Trends window saved: "Time" and one column
// per charted parameter.
size_t CsvColumns(const std::string& path) {
  const std::string text = ReadFileBytes(path);
  const std::string header = text.substr(0, text.find('\n'));
  return header.empty() ? 0 : static_cast<size_t>(std::count(header.begin(), header.end(), ',')) + 1;
}

TEST(TrendsWindowTest, TakesInputAndClosesWhileTheRunGoesOn) {
  XSession x;
  SKIP_WITHOUT_X_SESSION(x);
  DesktopRun run(x);
  ASSERT_TRUE(run.Started()) << run.Problem();
  const XWindowId main = run.MainWindow();

  ASSERT_TRUE(run.OpenWindowMenu());
  x.Key("t");  // &Trends...
  const XWindowId trends = x.WaitForWindow("^Trends$");
  ASSERT_NE(trends, 0u);
  // Placed by the window manager, it lies whole on the screen.
  const XGeometry placed = x.Geometry(trends);
  EXPECT_GE(placed.x, 0);
  EXPECT_GE(placed.y, 0);
  EXPECT_LE(placed.x + placed.width, XSession::kScreenWidthPx);
  EXPECT_LE(placed.y + placed.height, XSession::kScreenHeightPx);
  if (const char* folder = std::getenv("PLENX_SCREENSHOT_DIR")) {
    x.Screenshot(std::string(folder) + "/trends-placed.png");
  }

  // A click raises it above the main window and gives it the keyboard.
  x.Click(trends, kTrendsChartX, kTrendsChartY);
  EXPECT_TRUE(x.WaitForActive(trends));
  EXPECT_TRUE(x.WaitForAbove(trends, main));

  // A parameter box toggled (the list row clicked, then Space), and the
  // visible range saved as CSV through Alt+C: the file holds the chosen
  // parameters, one more or one fewer than the four at the start.
  x.Click(trends, kTrendsListX, kTrendsListY);
  x.Key("space");
  x.Key("alt+c");
  const XWindowId save = x.WaitForWindow("^Save visible range as CSV$");
  ASSERT_NE(save, 0u);
  ASSERT_TRUE(x.WaitForActive(save));
  x.Key("ctrl+a");
  x.Type("visible.csv");
  x.Key("Return");
  const std::string csv = run.Folder().Files().Path("visible.csv");
  ASSERT_TRUE(XSession::Poll([&] { return CsvColumns(csv) > 0; })) << csv;
  const size_t columns = CsvColumns(csv);
  EXPECT_TRUE(columns == 1 + 3 || columns == 1 + 5) << ReadFileBytes(csv).substr(0, 300);

  // Closed by the window manager (Alt+F4), it goes alone; the run logs on.
  ASSERT_TRUE(x.WaitForActive(trends));
  x.Key("alt+F4");
  EXPECT_TRUE(x.WaitForNoWindow("^Trends$"));
  EXPECT_EQ(x.FindWindows(kMainWindowTitle).size(), 1u);
  const size_t logged = run.LogLines();
  EXPECT_TRUE(XSession::Poll([&] { return run.LogLines() > logged; }));
}

// The main window's About box and message boxes block their owner, the
// main window, as Win32 boxes owned by it do, and no other window: Trends
// takes the keyboard meanwhile.
TEST(TrendsWindowTest, TheMainWindowsBoxesBlockOnlyTheMainWindow) {
  XSession x;
  SKIP_WITHOUT_X_SESSION(x);
  DesktopRun run(x);
  ASSERT_TRUE(run.Started()) << run.Problem();
  const XWindowId main = run.MainWindow();
  ASSERT_TRUE(run.OpenWindowMenu());
  x.Key("t");
  const XWindowId trends = x.WaitForWindow("^Trends$");
  ASSERT_NE(trends, 0u);
  // Trends opens centred on the screen, over the main window's list: set it
  // below the point where the test clicks the main window.
  const int trendsTop = x.Geometry(main).y + kMainListY + 40;
  x.Run("xdotool windowmove " + std::to_string(trends) + " " + std::to_string(x.Geometry(trends).x) + " " +
        std::to_string(trendsTop));
  ASSERT_TRUE(XSession::Poll([&] { return x.Geometry(trends).y >= trendsTop; }));

  // While `box` is open: Trends takes clicks and keys, a click on the main
  // window leaves the keyboard with the box, and Escape closes the box.
  const auto checkBlocksOnlyTheMainWindow = [&](XWindowId box) {
    EXPECT_TRUE(x.WaitForAbove(box, main));
    x.Click(trends, kTrendsChartX, kTrendsChartY);
    EXPECT_TRUE(x.WaitForActive(trends));
    x.Key("alt+c");
    const XWindowId save = x.WaitForWindow("^Save visible range as CSV$");
    EXPECT_NE(save, 0u);
    EXPECT_TRUE(x.WaitForActive(save));
    x.Key("Escape");
    EXPECT_TRUE(x.WaitForNoWindow("^Save visible range as CSV$"));
    x.Click(main, kMainListX, kMainListY);
    EXPECT_TRUE(x.WaitForActive(box));
    x.Key("Escape");
  };

  {
    SCOPED_TRACE("About box");
    ASSERT_TRUE(run.OpenWindowMenu());
    x.Key("a");  // &About Plenx Logger...
    const XWindowId about = x.WaitForWindow("^About Plenx Logger$");
    ASSERT_NE(about, 0u);
    checkBlocksOnlyTheMainWindow(about);
    // Escape went to the box, not to the main window (which would have
    // asked whether to end the run).
    EXPECT_TRUE(x.WaitForNoWindow("^About Plenx Logger$"));
    EXPECT_TRUE(x.FindWindows(kBoxTitle).empty());
  }
  {
    SCOPED_TRACE("message box");
    // Escape in the main window during a run asks whether to end it.
    x.Click(main, kMainListX, kMainListY);
    ASSERT_TRUE(x.WaitForActive(main));
    x.Key("Escape");
    const XWindowId question = x.WaitForWindow(kBoxTitle);
    ASSERT_NE(question, 0u);
    checkBlocksOnlyTheMainWindow(question);
    // Escape answered No: the box is gone and the run goes on.
    EXPECT_TRUE(x.WaitForNoWindow(kBoxTitle));
    EXPECT_EQ(x.FindWindows(kMainWindowTitle).size(), 1u);
    const size_t logged = run.LogLines();
    EXPECT_TRUE(XSession::Poll([&] { return run.LogLines() > logged; }));
  }
}

}  // namespace
