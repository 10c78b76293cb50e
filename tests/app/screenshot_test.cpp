// The main window photographed with decoded values, as the README shows it:
// writes the PNG to $PLENX_SCREENSHOT_PNG, or to a temporary file that is
// removed again.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QImage>
#include <cstdio>
#include <string>

#include "config/persisted_settings.h"
#include "tests/app/dialog_probe.h"

namespace {

// A default-layout record of a running installation, as
// `plenx-board-sim --seed 7` sends it (decoded with plenx-decode).
constexpr const char* kSimulatedRecord =
    "0,0,0,2247,0,622,0,3,0,180,40,15,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,35,0,0,0,0,0,0,0,"
    "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,142,0,0,3,0,333,0,344,0,1,296,0,290,401,355,274,0,0,0,0,0,0,0,0,"
    "0,0,393,0,0,1300,0,0,0,0,0,0,0,0,0,0,0,205,0,3,0,396,0,368,0,1,296,0,290,400,355,273,0,0,0,0,0,0,0,0,0,"
    "0,"
    "392,0,0,1300,0,0,0,0,0,0,0,0,0,0,0,205,0,3,0,320,0,344,0,1,301,0,294,404,360,278,0,0,0,0,0,0,0,0,0,0,"
    "396,"
    "0,0,1300,0,0,0,0,0,0,0,0,0,0,0,205,0,3,0,0,0,720,485,0,0,0,0,416,0,0,0,0,65,83,0,0,0,0,0,0,511,0,0,0,0,"
    "0,0,"
    "0,0,0,0,0,0,0,0,310,";

using ScreenshotTest = DialogTest;

TEST_F(ScreenshotTest, MainWindowWithDecodedValuesIsWrittenAsPng) {
  const char* requested = ::getenv("PLENX_SCREENSHOT_PNG");
  const std::string path = requested != nullptr ? requested : m_files.path() + "/main-window.png";
  WriteLogFileSetting("/home/technician/plenx/site.log");  // shown only, never opened
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  dlg.BuildLists();
  dlg.PostRecord(WM_LINK_RECORD, std::make_unique<std::string>(kSimulatedRecord), 0);
  PumpPostedMessages();
  ASSERT_FALSE(dlg.m_outdoorList.GetItemText(0, 1).empty());

  ASSERT_TRUE(dlg.SaveImage(path));
  const QImage image(QString::fromStdString(path));
  EXPECT_EQ(image.width(), 750);  // 500 x 240 dialog units
  EXPECT_EQ(image.height(), 390);
}

}  // namespace
