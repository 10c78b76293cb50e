// The main window's run as a technician meets it on a real desktop: a full
// disk is boxed once and Stop stays in reach, a --log the save dialog
// refuses is said in the window, and "Save log file as..." gives a name
// typed without an extension the filter's .log.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/desktop/desktop_program.h"
#include "tests/support/faults.h"

namespace {

namespace fs = std::filesystem;

const std::string kBoxTitle = "^Plenx Logger$";

// Keeps a screenshot of the window in $PLENX_DESKTOP_SHOTS, when set, for a
// look by eye.
void KeepShot(const XSession& x, XWindowId window, const std::string& name) {
  if (const char* folder = std::getenv("PLENX_DESKTOP_SHOTS"))
    x.Screenshot(std::string(folder) + "/" + name, window);
}

// The disk fills during a run: the failure is boxed once; after OK no box
// comes back for it (it once came back within half a second, again and
// again, so that Stop could not be clicked), the line under the banner says
// it instead, and Stop ends the run.
TEST(RunStateTest, FullDiskIsBoxedOnceAndStopStaysInReach) {
  XSession x;
  SKIP_WITHOUT_X_SESSION(x);
  TempFolder disk;
  const std::string stick = disk.Path("stick");
  fs::create_directory(stick);
  // Mounted before the program starts, which then shares the mount.
  const SmallVolume volume(stick, 64 * 1024);
  if (!volume.Mounted()) GTEST_SKIP() << kNoMountReason;
  const std::string log = stick + "/site.log";
  // The disk guard stays out of it: the tiny volume is short of any limit.
  DesktopRun run(x, {"--port", "COM9", "--log", log, "--start", "--min-free", "0"}, log);
  ASSERT_TRUE(run.Started()) << run.Problem();

  {
    std::ofstream fill(stick + "/filler", std::ios::binary);
    const std::string block(4096, 'f');
    while (fill.write(block.data(), block.size()) && fill.flush()) {
    }
  }
  ASSERT_NE(x.WaitForWindow(kBoxTitle), 0u) << run.Logger().Err();
  KeepShot(x, 0, "disk-full-box.png");
  x.Key("Return");
  ASSERT_TRUE(x.WaitForNoWindow(kBoxTitle));
  // The board sends twice a second: six more records fail to be logged.
  EXPECT_FALSE(XSession::Poll([&] { return !x.FindWindows(kBoxTitle).empty(); }, 3000))
      << "the box came back after OK";
  KeepShot(x, run.MainWindow(), "disk-full-state-line.png");

  // Stop with the disk still full: the run ends, and its archive cannot be
  // written, which is boxed.
  x.Click(run.MainWindow(), kStopX, kStopY);
  ASSERT_NE(x.WaitForWindow(kBoxTitle), 0u) << "Stop did not end the run";
  x.Key("Return");
  ASSERT_TRUE(x.WaitForNoWindow(kBoxTitle));
  // Idle: Escape closes the window without asking to stop a run.
  ASSERT_TRUE(x.WaitForActive(run.MainWindow()));
  x.Key("Escape");
  EXPECT_EQ(run.Logger().WaitExit(), 0) << run.Logger().Err();
}

// --log into a folder that does not exist: the window says so, and runs
// with no other log file than the one asked for.
TEST(RunStateTest, LogInAMissingFolderIsSaidInTheWindow) {
  XSession x;
  SKIP_WITHOUT_X_SESSION(x);
  TempFolder place;
  const std::string log = place.Path("nosuch/site.log");
  DesktopRun run(x, {"--port", "COM9", "--log", log, "--start"}, log, /*waitForLog=*/false);
  ASSERT_TRUE(run.Started()) << run.Problem();
  ASSERT_NE(x.WaitForWindow(kBoxTitle), 0u) << "no box for the refused log: " << run.Logger().Err();
  KeepShot(x, 0, "missing-folder-box.png");
  x.Key("Return");
  ASSERT_TRUE(x.WaitForNoWindow(kBoxTitle));
  EXPECT_NE(run.Logger().Err().find("cannot log to " + log + ": its folder does not exist"),
            std::string::npos);
  // --start did not click Start: Escape closes without asking to stop a run.
  ASSERT_TRUE(x.WaitForActive(run.MainWindow()));
  x.Key("Escape");
  EXPECT_EQ(run.Logger().WaitExit(), 0) << run.Logger().Err();
  EXPECT_FALSE(fs::exists(place.Path("nosuch")));
}

// "site" typed in the save dialog with "Log files (*.log)" shown is site.log.
TEST(RunStateTest, SaveAsGivesATypedNameTheLogExtension) {
  XSession x;
  SKIP_WITHOUT_X_SESSION(x);
  DesktopRun run(x, {"--port", "COM9"});
  ASSERT_TRUE(run.Started()) << run.Problem();
  x.Click(run.MainWindow(), kSaveAsX, kSaveAsY);
  const XWindowId save = x.WaitForWindow("^Save As$");
  ASSERT_NE(save, 0u);
  ASSERT_TRUE(x.WaitForActive(save));
  x.Key("ctrl+a");
  x.Type(run.Folder().Files().Path("site"));
  x.Key("Return");
  ASSERT_TRUE(x.WaitForNoWindow("^Save As$"));
  x.Click(run.MainWindow(), kStartX, kStartY);
  EXPECT_TRUE(XSession::Poll([&] { return run.LogLines() > 0; })) << run.Logger().Err();
  EXPECT_FALSE(fs::exists(run.Folder().Files().Path("site")));
  KeepShot(x, run.MainWindow(), "save-as-run.png");
}

}  // namespace
