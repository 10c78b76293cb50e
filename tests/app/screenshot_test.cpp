// The main window photographed during a run with decoded values, as the
// README shows it: writes the PNG to $PLENX_SCREENSHOT_PNG, or to a
// temporary file that is removed again.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QImage>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "link/frame_encoder.h"
#include "tests/app/dialog_probe.h"
#include "tests/link/pty_line.h"
#include "ui/button.h"

namespace {

// A default-layout record of a running installation, as
// `plenx-board-sim --seed 7` sends it (decoded with plenx-decode).
constexpr const char* kSimulatedRecord =
    "0,0,0,2247,0,622,0,3,0,180,40,15,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,35,0,0,0,"
    "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,142,0,0,3,0,333,0,344,0,1,296,0,290,401,355,274,"
    "0,0,0,0,0,0,0,0,0,0,393,0,0,1300,0,0,0,0,0,0,0,0,0,0,0,205,0,3,0,396,0,368,0,1,296,0,290,400,"
    "355,273,0,0,0,0,0,0,0,0,0,0,392,0,0,1300,0,0,0,0,0,0,0,0,0,0,0,205,0,3,0,320,0,344,0,1,301,0,"
    "294,404,360,278,0,0,0,0,0,0,0,0,0,0,396,0,0,1300,0,0,0,0,0,0,0,0,0,0,0,205,0,3,0,0,0,720,485,0,"
    "0,0,0,416,0,0,0,0,65,83,0,0,0,0,0,0,511,0,0,0,0,0,0,0,0,0,0,0,0,0,0,310,";

std::vector<int16_t> ValuesOf(const std::string& record) {
  std::vector<int16_t> values;
  std::istringstream fields(record);
  for (std::string field; std::getline(fields, field, ',');)
    values.push_back(static_cast<int16_t>(std::stoi(field)));
  return values;
}

using ScreenshotTest = DialogTest;

TEST_F(ScreenshotTest, RunningWindowWithDecodedValuesIsWrittenAsPng) {
  const char* requested = ::getenv("PLENX_SCREENSHOT_PNG");
  const std::string path = requested != nullptr ? requested : m_files.path() + "/main-window.png";
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  dlg.m_config.portName = line.SlavePath();
  dynamic_cast<CButton&>(*dlg.GetDlgItem(kStartButtonId)).Click();
  ASSERT_TRUE(dlg.m_started);
  ASSERT_TRUE(line.Write(EncodeFrame(0, ValuesOf(kSimulatedRecord))));
  ASSERT_TRUE(ProcessEventsUntil([&] { return !dlg.m_outdoorList.GetItemText(0, 1).empty(); }));

  ASSERT_TRUE(dlg.SaveImage(path));
  const QImage image(QString::fromStdString(path));
  EXPECT_EQ(image.width(), 750);  // 500 x 240 dialog units
  EXPECT_EQ(image.height(), 390);
}

}  // namespace
