// Start-up of the main dialog on the offscreen platform: its controls, the
// state OnInitDialog leaves, the unit tabs and banner, configuration
// warnings, and the window menu with the About box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QWidget>
#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "config/persisted_settings.h"
#include "faces/optional_faces.h"
#include "plenx_version.h"
#include "tests/app/dialog_probe.h"
#include "tests/ui/scripted_dialog_responder.h"
#include "ui/dialog_responder.h"
#include "ui/dialog_units.h"
#include "ui/text_codec.h"

namespace {

std::vector<std::string> TabTexts(const CTabCtrl& tabs) {
  std::vector<std::string> texts;
  for (int i = 0; i < tabs.GetItemCount(); ++i) texts.push_back(tabs.GetItemText(i));
  return texts;
}

// A control's rectangle in the dialog's client coordinates.
CRect RectInDialog(const CWnd& dialog, const CWnd& control) {
  CRect rect;
  control.GetWindowRect(&rect);
  dialog.ScreenToClient(&rect);
  return rect;
}

using DialogStartTest = DialogTest;

TEST_F(DialogStartTest, TemplateControlsHaveTheirTextsAndPlaces) {
  struct Expected {
    int id;
    const char* text;
    int x, y, cx, cy;  // dialog units
  };
  // Rectangles of template 102; the combo box's height is its open list's,
  // and the tab control is moved at start-up, so neither is compared here.
  const Expected controls[] = {
      {1000, "&Start", 10, 180, 75, 15},
      {1001, "S&top", 10, 197, 75, 15},
      {1003, "", 93, 7, 400, 212},
      {1008, "Com port name", 11, 40, 75, 10},
      {1005, "Sa&ve log file as...", 10, 15, 75, 14},
      {1007, "Log file name", 7, 221, 85, 12},
      {1006, "", 94, 221, 399, 12},
  };
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  for (const Expected& control : controls) {
    SCOPED_TRACE(control.id);
    CWnd* item = dlg.GetDlgItem(control.id);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetWindowText(), control.text);
    EXPECT_EQ(RectInDialog(dlg, *item), DialogRectToPixels(control.x, control.y, control.cx, control.cy));
  }
  for (int id : {kStartButtonId, kStopButtonId, kSaveAsButtonId}) {
    EXPECT_NE(dlg.GetDlgItem(id)->GetStyle() & kButtonTypeMask, BS_DEFPUSHBUTTON) << id;
  }
  EXPECT_NE(dlg.GetDlgItem(kPortComboId), nullptr);
  EXPECT_NE(dlg.GetDlgItem(kTabsId), nullptr);
}

TEST_F(DialogStartTest, FocusStartsOnStartAndTabFollowsTheTemplateOrder) {
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  dlg.GetWidget()->activateWindow();
  QApplication::processEvents();
  std::vector<int> visited;
  for (int step = 0; step < 6; ++step) {
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    int focusedId = 0;
    for (int id = kStartButtonId; id <= kTabsId; ++id) {
      const CWnd* control = dlg.GetDlgItem(id);
      if (control != nullptr && control->GetWidget() == focused) focusedId = id;
    }
    visited.push_back(focusedId);
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(focused, &tab);
  }
  // Statics, group boxes and the tab control are no tab stops.
  EXPECT_EQ(visited, (std::vector<int>{kStartButtonId, kStopButtonId, kPortComboId, kSaveAsButtonId,
                                       kLogNameEditId, kStartButtonId}));
}

TEST_F(DialogStartTest, InitialisationShowsCaptionRememberedNameAndNoLists) {
  {
    DialogProbe dlg(std::string{});
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(dlg.GetWindowText(), "Tessam/Morvane Plenx Logger Service");
    EXPECT_EQ(dlg.m_logNameEdit.GetWindowText(), "");
    EXPECT_EQ(dlg.m_config.portName, "COM1");
    EXPECT_FALSE(dlg.m_started);
    EXPECT_EQ(dlg.m_outdoorList.GetSafeHwnd(), 0u);
    EXPECT_EQ(dlg.m_unitLists[0].GetSafeHwnd(), 0u);
    EXPECT_FALSE(dlg.m_banner.IsWindowVisible());
  }
  WriteLogFileSetting("/var/log/site \xB0.log");  // 8-bit bytes are kept as they are
  WritePortSetting("COM24");
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  EXPECT_EQ(dlg.m_logNameEdit.GetWindowText(), "/var/log/site \xB0.log");
  EXPECT_EQ(dlg.m_config.logFileName, "/var/log/site \xB0.log");
  EXPECT_EQ(dlg.m_config.portName, "COM24");
}

TEST_F(DialogStartTest, TabsFollowTheUnitCount) {
  struct Case {
    const char* name;
    const char* ini;
    std::vector<std::string> tabs;
  };
  // Each tab is inserted at its index among the tabs present then, so with
  // fewer than two units "ZIZU" lands before tabs inserted earlier.
  const Case cases[] = {
      {"Default", "", {"OUTDOOR", "INDOOR A / HK", "INDOOR B", "INDOOR C", "ZIZU"}},
      {"TwoUnits", "[CONFIG]\nNUMDEVICES=2\n", {"OUTDOOR", "INDOOR A / HK", "ZIZU"}},
      {"OneUnit", "[CONFIG]\nNUMDEVICES=1\n", {"OUTDOOR", "ZIZU", "INDOOR A / HK"}},
      {"NoUnit", "[CONFIG]\nNUMDEVICES=0\n", {"ZIZU", "OUTDOOR", "INDOOR A / HK"}},
      {"SevenUnits",
       "[CONFIG]\nNUMDEVICES=7\n",
       {"OUTDOOR", "INDOOR A / HK", "INDOOR B", "INDOOR C", "INDOOR D", "INDOOR E", "INDOOR F", "ZIZU"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DialogProbe dlg(WriteIni(c.ini));
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(TabTexts(dlg.m_tabs), c.tabs);
  }
}

TEST_F(DialogStartTest, TabsAndBannerShareTheGroupBox) {
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  const CRect frame = RectInDialog(dlg, dlg.m_viewFrame);
  EXPECT_EQ(frame, DialogRectToPixels(93, 7, 400, 212));
  EXPECT_EQ(RectInDialog(dlg, dlg.m_tabs), (CRect{frame.left, frame.top, frame.right, frame.bottom - 60}));
  // The strip under the tabs: the banner, and the run's state line under it.
  EXPECT_EQ(RectInDialog(dlg, dlg.m_banner),
            (CRect{frame.left + 10, frame.bottom - 60, frame.right - 10, frame.bottom - kRunStateLinePx}));
  const CWnd* stateLine = dlg.GetDlgItem(kRunStateLineId);
  ASSERT_NE(stateLine, nullptr);
  EXPECT_EQ(RectInDialog(dlg, *stateLine),
            (CRect{frame.left + 10, frame.bottom - kRunStateLinePx, frame.right - 10, frame.bottom}));
  EXPECT_EQ(dlg.m_stateLine.Text(), "");
  EXPECT_EQ(dlg.m_banner.GetWindowText(), "COMMUNICATION ERROR");
  EXPECT_EQ(dlg.m_banner.GetDlgCtrlID(), 65535);
  EXPECT_EQ(dlg.m_banner.GetStyle() & kStaticTypeMask, SS_CENTER);
  EXPECT_FALSE(dlg.m_banner.IsWindowVisible());
}

TEST_F(DialogStartTest, ConfigurationWarningsAreShownInOneBox) {
  ScriptedDialogResponder responder;
  SetDialogResponder(&responder);
  {
    DialogProbe dlg(WriteIni("[CONFIG]\nNUMDEVICES=-1\nACPARAMS=x\n"));
    ASSERT_TRUE(dlg.Create());
    PumpPostedMessages();
    // The refused count falls back to the default four units.
    EXPECT_EQ(dlg.m_tabs.GetItemCount(), 5);
  }
  SetDialogResponder(nullptr);
  ASSERT_EQ(responder.MessageBoxes().size(), 1u);
  const MessageBoxRequest& box = responder.MessageBoxes()[0];
  EXPECT_NE(box.text.find("NUMDEVICES=-1"), std::string::npos) << box.text;
  EXPECT_NE(box.text.find("ACPARAMS=x"), std::string::npos) << box.text;
  EXPECT_EQ(box.type, MB_OK | MB_ICONWARNING);
}

// Records longer than the handler splits are warned about at start-up,
// instead of an error box for every record.
TEST_F(DialogStartTest, RecordsPastTheFieldLimitAreWarnedAboutAtStartUp) {
  ScriptedDialogResponder responder;
  SetDialogResponder(&responder);
  {
    DialogProbe dlg(WriteIni("[CONFIG]\nSTATUSPARAMS=1000\nNUMDEVICES=10\nACPARAMS=151\n"));
    ASSERT_TRUE(dlg.Create());
    PumpPostedMessages();
  }
  SetDialogResponder(nullptr);
  ASSERT_EQ(responder.MessageBoxes().size(), 1u);
  EXPECT_NE(
      responder.MessageBoxes()[0].text.find(
          "[CONFIG] STATUSPARAMS=1000, NUMDEVICES=10, ACPARAMS=151 give records of 2510 values; values past "
          "the 2500th are logged but not shown"),
      std::string::npos)
      << responder.MessageBoxes()[0].text;
}

TEST_F(DialogStartTest, NoWarningBoxForAGoodConfiguration) {
  ScriptedDialogResponder responder;
  SetDialogResponder(&responder);
  {
    DialogProbe dlg(WriteIni("[CONFIG]\nNUMDEVICES=3\n"));
    ASSERT_TRUE(dlg.Create());
    PumpPostedMessages();
  }
  SetDialogResponder(nullptr);
  EXPECT_TRUE(responder.MessageBoxes().empty());
}

// Runs a system command and returns the caption of the modal window it
// opened (which is then closed), or "" when it opened none.
std::string ModalCaptionOf(DialogProbe& dlg, UINT command) {
  std::string caption;
  QTimer closer;
  closer.setSingleShot(true);
  QObject::connect(&closer, &QTimer::timeout, [&caption] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      caption = TextFromQt(modal->windowTitle());
      modal->close();
    }
  });
  closer.start(0);
  dlg.OnSysCommand(command, 0);
  closer.stop();
  return caption;
}

TEST_F(DialogStartTest, SystemCommandsSixteenToThirtyOneShowTheAboutBox) {
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  for (UINT command : {16u, 17u, 31u}) {
    EXPECT_EQ(ModalCaptionOf(dlg, command), "About Plenx Logger") << command;
  }
  for (UINT command : {15u, 32u, SC_MOVE}) {
    EXPECT_EQ(ModalCaptionOf(dlg, command), "") << command;
  }
  EXPECT_FALSE(dlg.GetWidget()->isMinimized());
  dlg.OnSysCommand(SC_MINIMIZE, 0);
  EXPECT_TRUE(dlg.GetWidget()->isMinimized());
  dlg.OnSysCommand(SC_RESTORE, 0);
  EXPECT_FALSE(dlg.GetWidget()->isMinimized());
}

TEST_F(DialogStartTest, AboutBoxShowsNameVersionAndIcon) {
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  std::vector<std::string> texts;
  std::vector<std::string> cutTexts;
  bool iconShown = false;
  QTimer closer;
  closer.setSingleShot(true);
  QObject::connect(&closer, &QTimer::timeout, [&] {
    QWidget* about = QApplication::activeModalWidget();
    ASSERT_NE(about, nullptr);
    for (QLabel* label : about->findChildren<QLabel*>()) {
      if (!label->pixmap().isNull()) iconShown = true;
      if (label->text().isEmpty()) continue;
      texts.push_back(TextFromQt(label->text()));
      if (label->width() < label->fontMetrics().horizontalAdvance(label->text()))
        cutTexts.push_back(texts.back() + ": " + std::to_string(label->width()) + " px wide, needs " +
                           std::to_string(label->fontMetrics().horizontalAdvance(label->text())));
    }
    about->close();
  });
  closer.start(0);
  dlg.OnSysCommand(kAboutBoxCommand, 0);
  ASSERT_FALSE(texts.empty());
  // The one version text of the programs, the one --version prints.
  EXPECT_EQ(texts[0], "Plenx Logger, Version " + std::string(kPlenxVersionText));
  EXPECT_TRUE(cutTexts.empty()) << cutTexts[0];
  EXPECT_TRUE(iconShown);
}

TEST_F(DialogStartTest, WindowMenuOffersTheTrendsEventsAndAboutEntries) {
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  std::vector<std::string> entries;
  std::string aboutCaption;
  QTimer aboutCloser;
  aboutCloser.setSingleShot(true);
  QObject::connect(&aboutCloser, &QTimer::timeout, [&aboutCaption] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      aboutCaption = TextFromQt(modal->windowTitle());
      modal->close();
    }
  });
  QTimer chooser;
  chooser.setSingleShot(true);
  QObject::connect(&chooser, &QTimer::timeout, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction* about = nullptr;
    for (QAction* action : menu->actions()) {
      entries.push_back(action->isSeparator() ? "-" : TextFromQt(action->text()));
      if (action->data().toUInt() == kAboutBoxCommand) about = action;
    }
    ASSERT_NE(about, nullptr);
    menu->setActiveAction(about);
    aboutCloser.start(0);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(menu, &enter);
  });
  chooser.start(0);
  emit dlg.GetWidget()->customContextMenuRequested(QPoint(20, 20));
  std::vector<std::string> expected = {"Mi&nimize",       "&Close",     "-",
                                       "Replay a log...", "&Trends...", "&Events..."};
  if (BrokerFaceBuiltIn()) expected.push_back("&MQTT broker...");
  expected.insert(expected.end(), {"-", "&About Plenx Logger..."});
  EXPECT_EQ(entries, expected);
  EXPECT_EQ(aboutCaption, "About Plenx Logger");
}

}  // namespace
