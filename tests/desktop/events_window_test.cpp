// The Events window beside a running main window, under a window manager:
// opened from the window menu during a run on a board that trips its
// compressor, it lists the trip as a fault, and a click on it shows the
// values at that record, while the run logs on (a photograph of it to
// $PLENX_SCREENSHOT_DIR/events-window.png when set).
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>

#include "testkit/run_command.h"
#include "tests/desktop/desktop_program.h"

namespace {

// The Events window's colours: a fault's row, and the event's own row among
// the values.
constexpr uint32_t kFaultRowRgb = 0xFFD6D6;
constexpr uint32_t kChangedValueRgb = 0xFFF2B3;
// Where the list's rows are clicked, in pixels from the window's left.
constexpr int kListClickX = 120;
// A row's last red pixel is this far below where it is clicked.
constexpr int kRowInsetPx = 5;

// A window's picture in 24-bit colour, row by row.
struct ColourImage {
  int width = 0;
  int height = 0;
  std::string pixels;  // 3 bytes a pixel
  uint32_t At(int x, int y) const {
    const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    return static_cast<uint32_t>(static_cast<uint8_t>(pixels[at])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(pixels[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(pixels[at + 2]));
  }
};

ColourImage ColourImageOf(const XSession& x, XWindowId window) {
  const CommandResult ppm = RunCommand("DISPLAY=" + x.Display() + " import -window " +
                                       std::to_string(window) + " -depth 8 ppm:- 2>/dev/null");
  // Binary PPM: "P6", width, height, 255, one blank, then the pixels.
  std::istringstream header(ppm.output);
  std::string magic;
  int maxValue = 0;
  ColourImage image;
  header >> magic >> image.width >> image.height >> maxValue;
  const size_t size = static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3;
  const auto start = static_cast<size_t>(header.tellg()) + 1;
  if (magic != "P6" || maxValue != 255 || header.fail() || ppm.output.size() != start + size) return {};
  image.pixels = ppm.output.substr(start);
  return image;
}

// The last row (y) with a pixel of rgb at x; -1 when none.
int LastRowWith(const ColourImage& image, int x, uint32_t rgb) {
  if (x >= image.width) return -1;
  for (int y = image.height - 1; y >= 0; --y) {
    if (image.At(x, y) == rgb) return y;
  }
  return -1;
}

// Whether any pixel of the image is rgb.
bool Shows(const ColourImage& image, uint32_t rgb) {
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (image.At(x, y) == rgb) return true;
    }
  }
  return false;
}

// A place in the main window's unit list (client coordinates of `under`)
// that window `over` does not cover; none: (-1, -1).
std::pair<int, int> UncoveredPlace(const XGeometry& under, const XGeometry& over) {
  // The list fills the tab area, right of the controls and above the buttons.
  constexpr int kLowerListY = 300;
  constexpr int kRightMarginPx = 60;
  const std::pair<int, int> candidates[] = {{kMainListX, kMainListY},
                                            {kMainListX, kLowerListY},
                                            {under.width - kRightMarginPx, kMainListY},
                                            {under.width - kRightMarginPx, kLowerListY}};
  for (const auto& [x, y] : candidates) {
    const int screenX = under.x + x;
    const int screenY = under.y + y;
    const bool covered = screenX >= over.x && screenX < over.x + over.width && screenY >= over.y &&
                         screenY < over.y + over.height;
    if (!covered) return {x, y};
  }
  return {-1, -1};
}

TEST(EventsWindowTest, ShowsTheTripAsAFaultAndTheValuesAtItDuringTheRun) {
  XSession x;
  SKIP_WITHOUT_X_SESSION(x);
  DesktopRun run(x, {}, {}, true, {"--scenario", "compressor-trip"});
  ASSERT_TRUE(run.Started()) << run.Problem();

  ASSERT_TRUE(run.OpenWindowMenu());
  x.Key("e");  // &Events...
  const XWindowId events = x.WaitForWindow("^Events");
  ASSERT_NE(events, 0u);
  EXPECT_TRUE(x.WaitForActive(events));

  // The trip comes 2 s into the board's scenario, as red rows: the outdoor
  // unit's fault, the oldest of them, lowest, then the units' reports of it.
  int faultY = -1;
  ASSERT_TRUE(XSession::Poll([&] {
    faultY = LastRowWith(ColourImageOf(x, events), kListClickX, kFaultRowRgb);
    return faultY >= 0;
  })) << "no fault listed";

  // Its row clicked, the values of its record show beside the list with
  // the changed row set apart.
  const int faultRowY = faultY - kRowInsetPx;
  x.Click(events, kListClickX, faultRowY);
  EXPECT_TRUE(XSession::Poll([&] {
    const ColourImage image = ColourImageOf(x, events);
    return image.width > 0 && image.At(kListClickX, faultRowY) != kFaultRowRgb &&
           Shows(image, kChangedValueRgb);
  })) << "the fault is not selected, or no values shown";

  // The main window is not blocked: the run logs on, and it takes a click.
  const size_t logged = run.LogLines();
  EXPECT_TRUE(XSession::Poll([&] { return run.LogLines() > logged; }));
  const auto [mainX, mainY] = UncoveredPlace(x.Geometry(run.MainWindow()), x.Geometry(events));
  ASSERT_GE(mainX, 0) << "the Events window covers the main window";
  x.Click(run.MainWindow(), mainX, mainY);
  EXPECT_TRUE(x.WaitForActive(run.MainWindow()));
  x.Click(events, kListClickX, faultRowY);
  EXPECT_TRUE(x.WaitForActive(events));

  if (const char* folder = std::getenv("PLENX_SCREENSHOT_DIR")) {
    EXPECT_TRUE(x.Screenshot(std::string(folder) + "/events-window.png", events));
  }
}

}  // namespace
