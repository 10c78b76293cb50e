// Modal dialogs from templates: controls placed in pixels, the message map,
// the keys and the close that end the dialog, and destroy handling before
// DoModal returns.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <string>
#include <vector>

#include "tests/ui/window_test_support.h"
#include "ui/button.h"
#include "ui/combo_box.h"
#include "ui/edit.h"

namespace {

constexpr int kStartId = 1000;
constexpr int kPortId = 1004;
constexpr int kNameId = 1006;
constexpr int kUnboundId = 1008;

DialogTemplate TestTemplate() {
  DialogTemplate result = PlainDialogTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
  result.cx = 500;
  result.cy = 240;
  using C = DialogControlClass;
  result.items = {
      {C::kButton, kStartId, "&Start", BS_PUSHBUTTON | WS_TABSTOP, 10, 180, 75, 15},
      {C::kComboBox, kPortId, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 10, 51, 75, 70},
      {C::kStatic, kUnboundId, "Com port name", SS_LEFT | WS_GROUP, 11, 40, 75, 10},
      {C::kEdit, kNameId, "", WS_BORDER | ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, 94, 221, 399, 12},
  };
  return result;
}

class TestDialog : public CDialog {
 public:
  TestDialog() : CDialog(TestTemplate()) {
    MapCommand(kStartId, BN_CLICKED, [this] { m_log.push_back("start clicked"); });
    MapCommand(kPortId, CBN_SELCHANGE,
               [this] { m_log.push_back("port " + std::to_string(m_port.GetCurSel())); });
  }

  std::vector<std::string> m_log;
  std::function<void(TestDialog&)> m_whileRunning;  // runs once the modal loop is going
  CComboBox m_port;
  CEdit m_name;

 protected:
  void DoDataExchange() override {
    BindControl(kNameId, m_name);
    BindControl(kPortId, m_port);
  }
  BOOL OnInitDialog() override {
    m_log.push_back(std::string("init, shown: ") + (GetWidget()->isVisible() ? "yes" : "no"));
    m_port.AddString("COM1");
    m_port.AddString("COM2");
    m_port.SetCurSel(0);  // raises nothing
    if (m_whileRunning) QTimer::singleShot(0, [this] { m_whileRunning(*this); });
    return TRUE;
  }
  void OnDestroy() override {
    m_log.push_back(std::string("destroy, members alive: ") +
                    (m_port.GetSafeHwnd() != 0 && m_name.GetSafeHwnd() != 0 ? "yes" : "no"));
  }
};

void SendKey(QWidget* target, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &press);
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override { EnsureQtTestApplication(); }
  TestDialog m_dialog;
};

TEST_F(DialogTest, ControlsArePlacedInPixelsInTemplateOrder) {
  m_dialog.m_whileRunning = [](TestDialog& dialog) {
    QWidget* window = dialog.GetWidget();
    EXPECT_EQ(window->size(), QSize(750, 390));
    CRect rect;
    dialog.GetDlgItem(kStartId)->GetWindowRect(&rect);
    dialog.ScreenToClient(&rect);
    EXPECT_EQ(rect, (CRect{15, 293, 128, 317}));
    EXPECT_EQ(dialog.GetDlgItem(kUnboundId)->GetWindowText(), "Com port name");
    // The Tab key follows the template: Start, port list, name field.
    QWidget* start = dialog.GetDlgItem(kStartId)->GetWidget();
    EXPECT_EQ(start->nextInFocusChain(), dialog.m_port.GetWidget());
    dialog.EndDialog(42);
  };
  EXPECT_EQ(m_dialog.DoModal(), 42);
}

TEST_F(DialogTest, ClicksAndUserSelectionsReachTheMessageMapByIdentifier) {
  m_dialog.m_whileRunning = [](TestDialog& dialog) {
    static_cast<CButton*>(dialog.GetDlgItem(kStartId))->Click();
    EXPECT_TRUE(dialog.m_port.ChooseItem(1));   // as a user's choice
    EXPECT_FALSE(dialog.m_port.ChooseItem(2));  // no such item: nothing happens
    dialog.m_port.SetCurSel(0);                 // by program: silent
    dialog.EndDialog(IDOK);
  };
  m_dialog.DoModal();
  EXPECT_EQ(m_dialog.m_log, (std::vector<std::string>{"init, shown: no", "start clicked", "port 1",
                                                      "destroy, members alive: yes"}));
  EXPECT_EQ(m_dialog.m_port.GetSafeHwnd(), 0u);  // the window went with the dialog's
}

TEST_F(DialogTest, EscapeEnterAndCloseEndTheDialog) {
  struct Case {
    const char* name;
    std::function<void(TestDialog&)> act;
    INT_PTR expected;
  };
  const Case cases[] = {
      {"escape", [](TestDialog& d) { SendKey(d.m_name.GetWidget(), Qt::Key_Escape); }, IDCANCEL},
      {"enter in the edit field",
       [](TestDialog& d) {
         d.m_name.GetWidget()->setFocus();
         SendKey(d.m_name.GetWidget(), Qt::Key_Return);
       },
       IDOK},
      {"close of the window", [](TestDialog& d) { d.GetWidget()->close(); }, IDCANCEL},
  };
  for (const Case& c : cases) {
    TestDialog dialog;
    dialog.m_whileRunning = c.act;
    EXPECT_EQ(dialog.DoModal(), c.expected) << c.name;
    EXPECT_EQ(dialog.m_log.back(), "destroy, members alive: yes") << c.name;
  }
}

TEST_F(DialogTest, EnterOnAFocusedPushButtonClicksItInsteadOfEndingTheDialog) {
  m_dialog.m_whileRunning = [](TestDialog& dialog) {
    CWnd* start = dialog.GetDlgItem(kStartId);
    start->GetWidget()->setFocus();
    SendKey(start->GetWidget(), Qt::Key_Return);
    dialog.EndDialog(7);
  };
  EXPECT_EQ(m_dialog.DoModal(), 7);
  EXPECT_EQ(m_dialog.m_log[1], "start clicked");
}

TEST_F(DialogTest, DialogRunsAgainOnTheSameObject) {
  m_dialog.m_whileRunning = [](TestDialog& dialog) { dialog.EndDialog(1); };
  EXPECT_EQ(m_dialog.DoModal(), 1);
  m_dialog.m_whileRunning = [](TestDialog& dialog) {
    EXPECT_EQ(dialog.m_port.GetCount(), 2);
    dialog.EndDialog(2);
  };
  EXPECT_EQ(m_dialog.DoModal(), 2);
}

TEST_F(DialogTest, OnlyAnApplicationWindowIsANormalTopLevelWindow) {
  // A dialog-type window gets no task-bar entry and, from many window
  // managers, no minimise button.
  DialogTemplate mainTemplate = PlainDialogTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
  mainTemplate.exStyle = WS_EX_APPWINDOW;
  CDialog mainDialog(mainTemplate);
  CDialog plainDialog(PlainDialogTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU));
  ASSERT_TRUE(mainDialog.Create());
  ASSERT_TRUE(plainDialog.Create());
  EXPECT_EQ(mainDialog.GetWidget()->windowType(), Qt::Window);
  EXPECT_TRUE(mainDialog.GetWidget()->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_EQ(plainDialog.GetWidget()->windowType(), Qt::Dialog);
}

TEST_F(DialogTest, DialogOwnedByAWindowlessParentDoesNotRun) {
  CDialog parent(PlainDialogTemplate());
  CDialog child(PlainDialogTemplate(), &parent);
  EXPECT_EQ(child.DoModal(), -1);
}

}  // namespace
