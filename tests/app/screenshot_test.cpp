// The main window photographed during a run, as the README shows it: with a
// log file, decoded values and the banner of a line gone quiet, at the
// template's size, enlarged, and at a scale factor of 2 (the test program
// run again as a child with QT_SCALE_FACTOR=2). The PNGs go to
// $PLENX_SCREENSHOT_DIR, or to a temporary folder that is removed again.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <climits>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "app/app_icon.h"
#include "app/resource_ids.h"
#include "link/frame_encoder.h"
#include "testkit/pty_line.h"
#include "testkit/run_command.h"
#include "tests/app/dialog_probe.h"
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

// The template's size in pixels at scale 1 (500 x 240 dialog units), and
// the enlarged window of the README, tall enough for a unit's 16 rows.
constexpr int kTemplateWidthPx = 750;
constexpr int kTemplateHeightPx = 390;
constexpr int kEnlargedWidthPx = 880;
constexpr int kEnlargedHeightPx = 500;
// Tab of the first indoor unit.
constexpr int kFirstUnitTab = 1;

std::vector<int16_t> ValuesOf(const std::string& record) {
  std::vector<int16_t> values;
  std::istringstream fields(record);
  for (std::string field; std::getline(fields, field, ',');)
    values.push_back(static_cast<int16_t>(std::stoi(field)));
  return values;
}

class ScreenshotTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    const char* requested = ::getenv("PLENX_SCREENSHOT_DIR");
    m_outputFolder = requested != nullptr ? requested : m_files.path();
  }

  // A run with a log file that got one record and then went quiet: the
  // watchdog (shortened) has shown the banner over the last values.
  void StartQuietRun(DialogProbe& dlg, PtyLine& line) {
    constexpr int kShortWatchdogMs = 200;
    ASSERT_TRUE(line.Valid());
    dlg.m_runTimings.watchdogMs = kShortWatchdogMs;
    ASSERT_TRUE(dlg.Create());
    dlg.m_config.logFileName = m_files.path() + "/heat-pump-site.log";
    dlg.m_logNameEdit.SetWindowText(dlg.m_config.logFileName);
    dlg.m_config.portName = line.SlavePath();
    dynamic_cast<CButton&>(*dlg.GetDlgItem(kStartButtonId)).Click();
    ASSERT_TRUE(dlg.m_started);
    ASSERT_TRUE(line.Write(EncodeFrame(0, ValuesOf(kSimulatedRecord))));
    ASSERT_TRUE(ProcessEventsUntil([&] { return !dlg.m_outdoorList.GetItemText(0, 1).empty(); }));
    ASSERT_TRUE(ProcessEventsUntil([&] { return dlg.m_banner.IsWindowVisible() != FALSE; }));
  }

  // Writes the window as `name` in the output folder and reads it back.
  QImage Photograph(const DialogProbe& dlg, const std::string& name) const {
    const std::string path = m_outputFolder + "/" + name;
    EXPECT_TRUE(dlg.SaveImage(path)) << path;
    return QImage(QString::fromStdString(path));
  }

  // Pixels of the image of a window `logicalPx` wide on this screen.
  static int DevicePx(int logicalPx) { return static_cast<int>(logicalPx * qApp->devicePixelRatio()); }

  std::string m_outputFolder;
};

TEST_F(ScreenshotTest, RunAtTheTemplateSize) {
  PtyLine line;
  DialogProbe dlg(std::string{});
  StartQuietRun(dlg, line);
  const QImage image = Photograph(dlg, "main-window.png");
  EXPECT_EQ(image.width(), DevicePx(kTemplateWidthPx));
  EXPECT_EQ(image.height(), DevicePx(kTemplateHeightPx));
}

TEST_F(ScreenshotTest, EnlargedRunShowsAUnitsRowsAndLabelsWhole) {
  PtyLine line;
  DialogProbe dlg(std::string{});
  StartQuietRun(dlg, line);
  dlg.GetWidget()->resize(kEnlargedWidthPx, kEnlargedHeightPx);
  dlg.m_tabs.ClickTab(kFirstUnitTab);
  QApplication::processEvents();
  const QImage image = Photograph(dlg, "main-window-enlarged.png");
  EXPECT_EQ(image.width(), DevicePx(kEnlargedWidthPx));
  EXPECT_EQ(image.height(), DevicePx(kEnlargedHeightPx));
}

using HighResolutionTest = DialogTest;

TEST_F(HighResolutionTest, IconHasAnImageForEachSizeAtScalesOneAndTwo) {
  const QList<QSize> images = LoadAppIcon().availableSizes();
  for (int side : {16, 24, 32, 48, 256}) {
    for (int scale : {1, 2}) EXPECT_TRUE(images.contains(QSize(side * scale, side * scale))) << side * scale;
  }
}

// The About box's icon is the image drawn for its size on this screen,
// not a larger one scaled down.
TEST_F(HighResolutionTest, AboutBoxDrawsTheIconsOwnImageForTheScreen) {
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  QPixmap shown;
  QTimer::singleShot(0, [&] {
    QWidget* about = QApplication::activeModalWidget();
    ASSERT_NE(about, nullptr);
    for (QLabel* label : about->findChildren<QLabel*>()) {
      if (!label->pixmap().isNull()) shown = label->pixmap();
    }
    about->close();
  });
  dlg.OnSysCommand(kAboutBoxCommand, 0);
  ASSERT_FALSE(shown.isNull());
  EXPECT_EQ(shown.devicePixelRatio(), qApp->devicePixelRatio());
  const int side = shown.width();
  const QImage drawn(QString(":/plenx/plenx_logger_%1.png").arg(side));
  ASSERT_FALSE(drawn.isNull()) << side;
  EXPECT_EQ(shown.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
            drawn.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

// The photographs and the icon again, from a child run of this program at
// scale 2.
TEST_F(ScreenshotTest, AtScaleTwoTheWindowIsTwiceAsLarge) {
  if (qApp->devicePixelRatio() != 1.0) GTEST_SKIP() << "already the child run";
  char self[PATH_MAX] = {};
  ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
  const std::string command = "QT_SCALE_FACTOR=2 PLENX_SCREENSHOT_DIR='" + m_files.path() + "' '" +
                              std::string(self) +
                              "' --gtest_filter='ScreenshotTest.Run*:ScreenshotTest.Enlarged*:"
                              "HighResolutionTest.*' 2>&1";
  const CommandResult child = RunCommand(command);
  ASSERT_EQ(child.exitCode, 0) << child.output;
  const QImage plain(QString::fromStdString(m_files.path() + "/main-window.png"));
  EXPECT_EQ(plain.size(), QSize(2 * kTemplateWidthPx, 2 * kTemplateHeightPx));
  const QImage enlarged(QString::fromStdString(m_files.path() + "/main-window-enlarged.png"));
  EXPECT_EQ(enlarged.size(), QSize(2 * kEnlargedWidthPx, 2 * kEnlargedHeightPx));
}

}  // namespace
