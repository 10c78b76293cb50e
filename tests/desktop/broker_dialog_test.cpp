// The window menu's MQTT broker dialog as a technician fills it: a site
// name that cannot be a topic level is refused with the reason and the
// dialog stays open; OK then remembers the settings with the port and the
// log file. And --serve in the window: how to reach the page is shown once.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "config/remembered_broker.h"
#include "testkit/free_port.h"
#include "tests/desktop/desktop_program.h"

namespace {

const std::string kDialogTitle = "^MQTT broker$";
const std::string kMessageBoxTitle = "^Plenx Logger$";

// Keeps a screenshot for a look after the test, whose folder goes with it.
void KeepScreenshot(const XSession& x, XWindowId window, const std::string& name) {
  const std::string path = (std::filesystem::temp_directory_path() / name).string();
  EXPECT_TRUE(x.Screenshot(path, window)) << path;
}

TEST(BrokerDialogTest, RefusesABadSiteThenRemembersTheSettings) {
  XSession x;
  SKIP_WITHOUT_X_SESSION(x);
  DesktopRun run(x, {"--port", "COM9"});
  ASSERT_TRUE(run.Started()) << run.Problem();
  const std::string passwordFile = run.Folder().Files().Write("mqtt.pw", "secret\n");

  ASSERT_TRUE(run.OpenWindowMenu());
  x.Key("m");
  const XWindowId dialog = x.WaitForWindow(kDialogTitle);
  ASSERT_NE(dialog, 0u) << run.Logger().Err();
  // The URL field has the focus; the fields follow in tab order.
  x.Type("mqtt://127.0.0.1:1883");
  x.Key("Tab");
  x.Type("tech");
  x.Key("Tab");
  x.Type(passwordFile);
  x.Key("Tab Tab");
  x.Type("north/wing");
  KeepScreenshot(x, dialog, "plenx-broker-dialog.png");
  x.Key("Return");

  const XWindowId refusal = x.WaitForWindow(kMessageBoxTitle);
  ASSERT_NE(refusal, 0u) << "no refusal of the site name";
  KeepScreenshot(x, refusal, "plenx-broker-dialog-refusal.png");
  x.Key("Return");
  ASSERT_TRUE(x.WaitForNoWindow(kMessageBoxTitle));
  EXPECT_EQ(ReadBrokerSetting(), RememberedBroker{}) << "remembered before OK";
  ASSERT_EQ(x.FindWindows(kDialogTitle).size(), 1u) << "the dialog closed on a refusal";

  x.Key("ctrl+a");
  x.Type("north-wing");
  x.Key("Return");
  ASSERT_TRUE(x.WaitForNoWindow(kDialogTitle));
  RememberedBroker expected;
  expected.url = "mqtt://127.0.0.1:1883";
  expected.user = "tech";
  expected.passwordFile = passwordFile;
  expected.site = "north-wing";
  EXPECT_EQ(ReadBrokerSetting(), expected);

  // Opened again, it shows them.
  ASSERT_TRUE(run.OpenWindowMenu());
  x.Key("m");
  const XWindowId again = x.WaitForWindow(kDialogTitle);
  ASSERT_NE(again, 0u);
  KeepScreenshot(x, again, "plenx-broker-dialog-again.png");
  x.Key("Escape");
  EXPECT_TRUE(x.WaitForNoWindow(kDialogTitle));
  EXPECT_EQ(ReadBrokerSetting(), expected);
}

TEST(BrokerDialogTest, TheLivePageIsShownOnceInTheWindow) {
  XSession x;
  SKIP_WITHOUT_X_SESSION(x);
  const int port = FreeLoopbackPort();
  DesktopRun run(x, {"--port", "COM9", "--serve", "127.0.0.1:" + std::to_string(port)});
  ASSERT_TRUE(run.Started()) << run.Problem();
  const XWindowId box = x.WaitForWindow(kMessageBoxTitle);
  ASSERT_NE(box, 0u) << run.Logger().Err();
  KeepScreenshot(x, box, "plenx-window-page.png");
  x.Key("Return");
  EXPECT_TRUE(x.WaitForNoWindow(kMessageBoxTitle));
}

}  // namespace
