// The Replay window as the window manager shows it: at the end of a log its
// last line, the longest, shows whole (it once read "Positio... (record
// 214), end of t").
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/desktop/desktop_program.h"

namespace {

constexpr int kRecords = 229;
constexpr int kValuesPerRecord = 69 + 4 * 40;

// A log of kRecords records half a second apart, as the logger writes them.
std::string ReplayLog() {
  std::string record;
  for (int v = 0; v < kValuesPerRecord; ++v) record += std::to_string(v % 50) + ",";
  std::string log;
  for (int r = 0; r < kRecords; ++r) {
    char stamp[32];
    const int ms = 42 + 500 * r;
    std::snprintf(stamp, sizeof stamp, "2015/03/07-14:%02d:%02d.%03d", 5 + ms / 60000, ms / 1000 % 60,
                  ms % 1000);
    log += std::string(stamp) + "   -   " + record + "\r\n";
  }
  return log;
}

// What a picture of the Replay window shows, told by the ink (pixels far
// from the window's background) of each row: the speed list and the Pause
// button are the two tall boxes whose frames reach furthest right; the
// position line lies between them.
class PanelPicture {
 public:
  explicit PanelPicture(XGrayImage image) : m_image(std::move(image)) {
    if (m_image.width == 0) return;
    const uint8_t background = m_image.At(2, 2);
    for (int y = 0; y < m_image.height; ++y) {
      int right = -1;
      for (int x = m_image.width - 1; x >= 0 && right < 0; --x) {
        if (std::abs(m_image.At(x, y) - background) > kInkContrast) right = x;
      }
      m_rightInk.push_back(right);
      m_edge = std::max(m_edge, right);
    }
    // Runs of rows whose ink reaches the boxes' right edge.
    for (int y = 0; y < m_image.height; ++y) {
      if (m_rightInk[static_cast<size_t>(y)] < m_edge - kEdgeSlackPx) continue;
      if (m_runs.empty() || m_runs.back().second != y - 1) m_runs.push_back({y, y});
      m_runs.back().second = y;
    }
    for (const auto& [top, bottom] : m_runs) {
      if (bottom - top + 1 >= kBoxRowsAtLeast) m_boxes.push_back({top, bottom});
    }
  }

  // The speed list and the Pause button were found.
  bool Readable() const { return m_boxes.size() >= 2; }

  // The Pause button is greyed: the replay is through. Its label is the
  // darkest ink inside the button, dark while it can be clicked.
  bool PauseGreyed() const {
    const auto [top, bottom] = m_boxes.back();
    int darkest = 255;
    for (int y = top + kFramePx; y <= bottom - kFramePx; ++y) {
      for (int x = kFramePx + kMarginPx; x < m_edge - kFramePx; ++x)
        darkest = std::min<int>(darkest, m_image.At(x, y));
    }
    return darkest > kEnabledTextAtMost;
  }

  // The rows between the speed list and the Pause button whose ink runs up
  // to the boxes' edge: a line cut off by its too narrow field.
  int CutRows() const {
    const auto [listTop, listBottom] = m_boxes[m_boxes.size() - 2];
    const auto [buttonTop, buttonBottom] = m_boxes.back();
    int cut = 0;
    for (const auto& [top, bottom] : m_runs) {
      if (top > listBottom + kFramePx && bottom < buttonTop - kFramePx) cut += bottom - top + 1;
    }
    return cut;
  }

 private:
  static constexpr int kInkContrast = 40;
  static constexpr int kEdgeSlackPx = 3;      // anti-aliased frames and glyphs
  static constexpr int kBoxRowsAtLeast = 12;  // a text line is shorter
  static constexpr int kFramePx = 3;
  static constexpr int kMarginPx = 8;
  static constexpr int kEnabledTextAtMost = 110;

  XGrayImage m_image;
  std::vector<int> m_rightInk;  // by row; -1 for a row without ink
  int m_edge = -1;
  std::vector<std::pair<int, int>> m_runs;
  std::vector<std::pair<int, int>> m_boxes;
};

TEST(ReplayPanelTest, TheLastLineShowsWholeAtTheEndOfALog) {
  XSession x;
  SKIP_WITHOUT_X_SESSION(x);
  TempFolder logs;
  const std::string log = logs.Write("replay.log", ReplayLog());
  DesktopRun run(x, {"--replay", log, "--speed", "0"});
  ASSERT_TRUE(run.Started()) << run.Problem();
  const XWindowId panel = x.WaitForWindow("^Replay - Plenx Logger$");
  ASSERT_NE(panel, 0u);

  std::optional<PanelPicture> picture;
  ASSERT_TRUE(XSession::Poll([&] {
    picture.emplace(x.GrayImage(panel));
    return picture->Readable() && picture->PauseGreyed();
  })) << "the replay did not reach the end of the log";
  const std::string screenshot = run.Folder().Files().Path("replay-panel.png");
  ASSERT_TRUE(x.Screenshot(screenshot, panel));
  const int cutRows = picture->CutRows();
  if (cutRows != 0) {
    // Kept for a look: the test's folder goes with the test.
    const std::string kept = (std::filesystem::temp_directory_path() / "plenx-replay-panel-cut.png").string();
    std::filesystem::copy_file(screenshot, kept, std::filesystem::copy_options::overwrite_existing);
    ADD_FAILURE() << "the position line runs into the edge on " << cutRows << " rows; see " << kept;
  }
}

}  // namespace
