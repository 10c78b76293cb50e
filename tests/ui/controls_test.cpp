// Tab control, combo box and list view: the return values and
// notifications the program relies on.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QTableWidget>
#include <QToolTip>
#include <string>
#include <vector>

#include "tests/ui/window_test_support.h"
#include "ui/combo_box.h"
#include "ui/list_ctrl.h"
#include "ui/tab_ctrl.h"

namespace {

// "\260" is the byte 0xB0, the degree sign in Windows-1252.

constexpr int kTabsId = 1009;

// Logs TCN_SELCHANGE as the tab control sees it (reflected) and as its
// parent does; `m_handleReflected` keeps it from the parent.
class LoggingTabCtrl : public CTabCtrl {
 public:
  std::vector<std::string>* m_log = nullptr;
  bool m_handleReflected = false;

 protected:
  BOOL OnReflectedNotify(UINT code, LRESULT* result) override {
    if (code == TCN_SELCHANGE) m_log->push_back("reflected " + std::to_string(GetCurSel()));
    *result = 0;
    return m_handleReflected ? TRUE : FALSE;
  }
};

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureQtTestApplication();
    ASSERT_TRUE(m_host.Create());
  }

  class Host : public CDialog {
   public:
    Host() : CDialog(PlainDialogTemplate()) {
      MapCommand(kTabsId, TCN_SELCHANGE, [this] { m_log.push_back("parent"); });
    }
    ~Host() override { DestroyWindow(); }
    std::vector<std::string> m_log;
  } m_host;
};

TEST_F(ControlsTest, TabInsertionAndSelectionFollowTheTabControlRules) {
  CTabCtrl tabs;
  ASSERT_TRUE(tabs.Create(WS_CHILD | WS_VISIBLE, CRect{0, 0, 200, 100}, &m_host, kTabsId));
  EXPECT_EQ(tabs.GetCurSel(), -1);
  EXPECT_EQ(tabs.SetCurSel(0), -1);  // no tabs yet

  EXPECT_EQ(tabs.InsertItem(0, "OUTDOOR"), 0);
  EXPECT_EQ(tabs.GetCurSel(), 0);            // the first tab becomes the selected one
  EXPECT_EQ(tabs.InsertItem(5, "ZIZU"), 1);  // past the end: appended
  EXPECT_EQ(tabs.InsertItem(0, "FIRST"), 0);
  EXPECT_EQ(tabs.GetCurSel(), 1);  // still OUTDOOR, now at index 1
  EXPECT_EQ(tabs.InsertItem(-1, "never"), -1);
  EXPECT_EQ(tabs.GetItemCount(), 3);
  EXPECT_EQ(tabs.GetItemText(0), "FIRST");
  EXPECT_EQ(tabs.GetItemText(2), "ZIZU");
  EXPECT_EQ(tabs.GetItemText(3), "");

  EXPECT_EQ(tabs.SetCurSel(2), 1);
  EXPECT_EQ(tabs.SetCurSel(2), 2);
  EXPECT_EQ(tabs.SetCurSel(3), -1);
  EXPECT_EQ(tabs.SetCurSel(-1), -1);
  EXPECT_EQ(tabs.GetCurSel(), 2);
  EXPECT_TRUE(m_host.m_log.empty());  // neither insertion nor SetCurSel notifies
}

TEST_F(ControlsTest, UserSelectionIsReflectedToTheTabControlThenPassedToTheParent) {
  LoggingTabCtrl tabs;
  tabs.m_log = &m_host.m_log;
  ASSERT_TRUE(tabs.Create(WS_CHILD | WS_VISIBLE, CRect{0, 0, 200, 100}, &m_host, kTabsId));
  tabs.InsertItem(0, "A");
  tabs.InsertItem(1, "B");

  tabs.ClickTab(1);
  tabs.ClickTab(1);  // the selected tab again: no change, no notification
  tabs.m_handleReflected = true;
  tabs.ClickTab(0);
  EXPECT_EQ(m_host.m_log, (std::vector<std::string>{"reflected 1", "parent", "reflected 0"}));
}

TEST_F(ControlsTest, ComboBoxSelectionAndItemTexts) {
  CComboBox combo;
  EXPECT_EQ(combo.AddString("COM1"), CB_ERR);  // no window yet
  ASSERT_TRUE(combo.Create(CBS_DROPDOWNLIST | WS_CHILD | WS_VISIBLE, CRect{0, 0, 100, 100}, &m_host, 1004));
  EXPECT_EQ(combo.GetCurSel(), CB_ERR);
  EXPECT_EQ(combo.AddString("COM2"), 0);
  EXPECT_EQ(combo.AddString("COM10"), 1);
  // Not sorted, bytes kept, and adding selects nothing.
  EXPECT_EQ(combo.AddString("\260C"), 2);
  EXPECT_EQ(combo.GetCurSel(), CB_ERR);

  EXPECT_EQ(combo.SetCurSel(2), 2);
  std::string text;
  EXPECT_EQ(combo.GetLBText(combo.GetCurSel(), text), 2);
  EXPECT_EQ(text, "\260C");
  EXPECT_EQ(combo.GetLBText(3, text), CB_ERR);

  EXPECT_EQ(combo.SetCurSel(3), CB_ERR);  // out of range clears the selection
  EXPECT_EQ(combo.GetCurSel(), CB_ERR);
  EXPECT_EQ(combo.GetCount(), 3);
}

TEST_F(ControlsTest, ReportListHoldsColumnsRowsAndCellTexts) {
  CListCtrl list;
  ASSERT_TRUE(
      list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT, CRect{0, 0, 300, 200}, &m_host, 9671));
  EXPECT_EQ(list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT), 0u);
  auto* table = qobject_cast<QTableWidget*>(list.GetWidget());
  EXPECT_TRUE(table->showGrid());
  EXPECT_EQ(table->selectionBehavior(), QAbstractItemView::SelectRows);

  EXPECT_EQ(list.InsertItem(0, "no columns yet"), -1);
  EXPECT_EQ(list.InsertColumn(0, "Parameter", LVCFMT_LEFT, 350), 0);
  EXPECT_EQ(list.InsertColumn(1, "Value", LVCFMT_LEFT, 200), 1);
  EXPECT_EQ(list.GetColumnWidth(0), 350);
  EXPECT_EQ(list.GetColumnWidth(1), 200);

  EXPECT_EQ(list.InsertItem(0, "Outdoor temp."), 0);
  EXPECT_EQ(list.InsertItem(99, "Compressor"), 1);  // past the end: appended
  EXPECT_TRUE(list.SetItemText(0, 1, "21.5 \260F"));
  EXPECT_FALSE(list.SetItemText(2, 1, "x"));
  EXPECT_FALSE(list.SetItemText(0, 2, "x"));
  EXPECT_EQ(list.GetItemCount(), 2);
  EXPECT_EQ(list.GetItemText(0, 0), "Outdoor temp.");
  EXPECT_EQ(list.GetItemText(0, 1), "21.5 \260F");
  EXPECT_EQ(table->item(0, 1)->text().toStdU16String(), u"21.5 \u00B0F");
  EXPECT_EQ(list.GetItemText(1, 1), "");
  EXPECT_EQ(list.GetColumnCount(), 2);
}

TEST_F(ControlsTest, CutCellShowsItsWholeTextAsATooltipAndColumnsFitTheirTexts) {
  CListCtrl list;
  ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect{0, 0, 300, 160}, &m_host, 1));
  list.SetExtendedStyle(LVS_EX_GRIDLINES);
  list.InsertColumn(0, "Parameter", LVCFMT_LEFT, 60);
  list.InsertColumn(1, "Value", LVCFMT_LEFT, 200);
  list.InsertItem(0, "Room Air Temp by Remote control [\260F]");
  list.InsertItem(1, "Fan");
  auto* table = qobject_cast<QTableWidget*>(list.GetWidget());
  // The tooltip that resting the pointer on a cell of column 0 brings up.
  auto tipOver = [table](int row) {
    const QPoint at = table->visualRect(table->model()->index(row, 0)).center();
    QHelpEvent rest(QEvent::ToolTip, at, table->viewport()->mapToGlobal(at));
    QApplication::sendEvent(table->viewport(), &rest);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
  };
  EXPECT_EQ(tipOver(1), QString());
  EXPECT_EQ(tipOver(0), QStringLiteral("Room Air Temp by Remote control [\u00B0F]"));

  EXPECT_TRUE(list.SetColumnWidth(0, LVSCW_AUTOSIZE));
  const QFontMetrics metrics(table->font());
  EXPECT_GT(list.GetColumnWidth(0), metrics.horizontalAdvance(table->item(0, 0)->text()));
  tipOver(0);  // fits now: the tip goes and no other comes
  EXPECT_TRUE(RunEventsUntil([] { return !QToolTip::isVisible(); }));

  // Empty cells fit in little; the heading counts only when asked for.
  list.SetColumnWidth(1, LVSCW_AUTOSIZE);
  EXPECT_LT(list.GetColumnWidth(1), metrics.horizontalAdvance(QStringLiteral("Value")));
  list.SetColumnWidth(1, LVSCW_AUTOSIZE_USEHEADER);
  EXPECT_GT(list.GetColumnWidth(1), metrics.horizontalAdvance(QStringLiteral("Value")));
  EXPECT_FALSE(list.SetColumnWidth(2, 50));
}

}  // namespace
