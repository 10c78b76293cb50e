// Window objects: life without a window, create and destroy again, show,
// enable, text and the order of destroy handling.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/ui/window_test_support.h"
#include "ui/static_text.h"

namespace {

// "\260" is the byte 0xB0, the degree sign in Windows-1252.

class LoggingStatic : public CStatic {
 public:
  LoggingStatic(std::string name, std::vector<std::string>* log) : m_name(std::move(name)), m_log(log) {}
  ~LoggingStatic() override { DestroyWindow(); }

 protected:
  void OnDestroy() override {
    // The window and its children still exist while this runs.
    m_log->push_back("destroy " + m_name + (GetSafeHwnd() != 0 ? " (alive)" : " (gone)"));
  }
  void OnEnable(BOOL bEnable) override { m_log->push_back((bEnable ? "enable " : "disable ") + m_name); }

 private:
  std::string m_name;
  std::vector<std::string>* m_log;
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureQtTestApplication();
    ASSERT_TRUE(m_host.Create());
  }
  CDialog m_host{PlainDialogTemplate()};
  std::vector<std::string> m_log;
};

TEST_F(WindowTest, OperationsWithoutAWindowDoNothing) {
  LoggingStatic control("c", &m_log);
  EXPECT_EQ(control.GetSafeHwnd(), 0u);
  EXPECT_FALSE(control.ShowWindow(SW_SHOW));
  EXPECT_FALSE(control.EnableWindow(FALSE));
  EXPECT_FALSE(control.IsWindowEnabled());
  EXPECT_FALSE(control.IsWindowVisible());
  EXPECT_EQ(control.GetStyle(), 0u);
  control.MoveWindow(1, 2, 3, 4);
  control.SetWindowText("x");
  EXPECT_EQ(control.GetWindowText(), "");
  EXPECT_EQ(control.SetTimer(1, 10), 0u);
  EXPECT_FALSE(control.KillTimer(1));
  EXPECT_FALSE(control.PostMessage(WM_APP + 1, 0, 0));
  EXPECT_FALSE(control.DestroyWindow());
  EXPECT_TRUE(m_log.empty());
}

TEST_F(WindowTest, WindowCanBeCreatedDestroyedAndCreatedAgainOnTheSameObject) {
  LoggingStatic control("c", &m_log);
  ASSERT_TRUE(control.Create("one", WS_CHILD | WS_VISIBLE, CRect{1, 2, 51, 22}, &m_host, 7));
  const HWND first = control.GetSafeHwnd();
  EXPECT_FALSE(control.Create("twice", WS_CHILD, CRect{}, &m_host, 7));  // already has one
  EXPECT_EQ(CWnd::FromHandle(first), &control);
  EXPECT_EQ(m_host.GetDlgItem(7), &control);

  EXPECT_TRUE(control.DestroyWindow());
  EXPECT_EQ(control.GetSafeHwnd(), 0u);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(m_host.GetDlgItem(7), nullptr);

  ASSERT_TRUE(control.Create("two", WS_CHILD, CRect{0, 0, 10, 10}, &m_host, 8));
  EXPECT_NE(control.GetSafeHwnd(), first);  // handles are never reused
  EXPECT_EQ(control.GetWindowText(), "two");
  EXPECT_EQ(control.GetDlgCtrlID(), 8);
  EXPECT_EQ(control.GetParent(), &m_host);
  EXPECT_EQ(m_log, (std::vector<std::string>{"destroy c (alive)"}));
}

TEST_F(WindowTest, ChildWithoutAParentWindowIsRefused) {
  CDialog noWindow(PlainDialogTemplate());
  CStatic control;
  EXPECT_FALSE(control.Create("x", WS_CHILD, CRect{}, &noWindow, 1));
  EXPECT_EQ(control.GetSafeHwnd(), 0u);
}

TEST_F(WindowTest, ShowAndEnableReportThePreviousStateAndNotifyChanges) {
  LoggingStatic control("c", &m_log);
  ASSERT_TRUE(control.Create("x", WS_CHILD, CRect{0, 0, 10, 10}, &m_host, 1));
  EXPECT_EQ(control.GetStyle() & WS_VISIBLE, 0u);  // created without WS_VISIBLE
  EXPECT_FALSE(control.ShowWindow(SW_SHOW));
  EXPECT_TRUE(control.ShowWindow(SW_SHOW));
  EXPECT_TRUE(control.IsWindowVisible());
  EXPECT_TRUE(control.ShowWindow(SW_HIDE));
  EXPECT_FALSE(control.IsWindowVisible());

  EXPECT_FALSE(control.EnableWindow(FALSE));  // was enabled
  EXPECT_TRUE(control.EnableWindow(FALSE));   // was disabled; no change, no notification
  EXPECT_NE(control.GetStyle() & WS_DISABLED, 0u);
  EXPECT_TRUE(control.EnableWindow(TRUE));
  EXPECT_EQ(m_log, (std::vector<std::string>{"disable c", "enable c"}));

  // A child of a disabled parent keeps its own enabled flag.
  m_host.EnableWindow(FALSE);
  EXPECT_TRUE(control.IsWindowEnabled());
  m_host.EnableWindow(TRUE);
}

TEST_F(WindowTest, TextKeepsItsBytes) {
  CStatic control;
  ASSERT_TRUE(control.Create("", WS_CHILD, CRect{0, 0, 10, 10}, &m_host, 1));
  for (const std::string text : {"25.0 \260F", "/tmp/\xE6\x97\xA5.log", "\xC3\xA9t\xE9"}) {
    control.SetWindowText(text);
    EXPECT_EQ(control.GetWindowText(), text);
  }
}

TEST_F(WindowTest, CoordinatesBetweenClientAreasGoThroughTheScreen) {
  CStatic control;
  ASSERT_TRUE(control.Create("", WS_CHILD | WS_VISIBLE, CRect{30, 40, 130, 90}, &m_host, 1));
  CRect rect;
  control.GetClientRect(&rect);
  EXPECT_EQ(rect, (CRect{0, 0, 100, 50}));
  control.ClientToScreen(&rect);
  m_host.ScreenToClient(&rect);
  EXPECT_EQ(rect, (CRect{30, 40, 130, 90}));

  control.MoveWindow(5, 6, 20, 10);
  control.GetWindowRect(&rect);
  m_host.ScreenToClient(&rect);
  EXPECT_EQ(rect, (CRect{5, 6, 25, 16}));
}

TEST_F(WindowTest, DestroyRunsParentThenChildrenWhileAllStillExist) {
  CDialog dialog(PlainDialogTemplate());
  ASSERT_TRUE(dialog.Create());
  LoggingStatic parent("parent", &m_log);
  LoggingStatic child("child", &m_log);
  ASSERT_TRUE(parent.Create("", WS_CHILD, CRect{0, 0, 50, 50}, &dialog, 1));
  ASSERT_TRUE(child.Create("", WS_CHILD, CRect{0, 0, 5, 5}, &parent, 2));

  EXPECT_TRUE(dialog.DestroyWindow());
  EXPECT_EQ(m_log, (std::vector<std::string>{"destroy parent (alive)", "destroy child (alive)"}));
  EXPECT_EQ(parent.GetSafeHwnd(), 0u);
  EXPECT_EQ(child.GetSafeHwnd(), 0u);
}

TEST_F(WindowTest, SavesTheWindowAsPng) {
  const std::string path = ::testing::TempDir() + "window_test.png";
  ASSERT_TRUE(m_host.SaveImage(path));
  QImage image(QString::fromStdString(path));
  EXPECT_EQ(image.size(), QSize(300, 163));  // 200 x 100 dialog units
  std::remove(path.c_str());
}

}  // namespace
