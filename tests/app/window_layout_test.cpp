// The main window on any screen: what a resize moves and what it keeps, the
// least size, the Parameter column fitted to its labels, the size and the
// user's column widths kept across a restart, and the About box over the
// window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QHelpEvent>
#include <QScreen>
#include <QTableWidget>
#include <QTimer>
#include <QToolTip>
#include <QWidget>
#include <map>
#include <string>

#include "app/resource_ids.h"
#include "config/default_param_labels.h"
#include "config/window_settings.h"
#include "tests/app/dialog_probe.h"
#include "ui/text_codec.h"

namespace {

constexpr QSize kTemplateSize(750, 390);
// A larger window that still fits the offscreen platform's 800 x 600 screen.
constexpr int kGrowXPx = 40;
constexpr int kGrowYPx = 170;

// A control's rectangle in the dialog's client coordinates.
CRect RectInDialog(const CWnd& dialog, const CWnd& control) {
  CRect rect;
  control.GetWindowRect(&rect);
  dialog.ScreenToClient(&rect);
  return rect;
}

CRect Moved(CRect rect, int dx, int dy) {
  return CRect{rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

CRect Grown(CRect rect, int dx, int dy) {
  return CRect{rect.left, rect.top, rect.right + dx, rect.bottom + dy};
}

QTableWidget* Table(const CListCtrl& list) { return qobject_cast<QTableWidget*>(list.GetWidget()); }

// Width of the widest text of column 0 in the list's font.
int WidestLabelPx(const CListCtrl& list) {
  const QFontMetrics metrics(Table(list)->font());
  int widest = 0;
  for (int row = 0; row < list.GetItemCount(); ++row)
    widest = std::max(widest, metrics.horizontalAdvance(TextToQt(list.GetItemText(row, 0))));
  return widest;
}

using WindowLayoutTest = DialogTest;

TEST_F(WindowLayoutTest, ResizeGrowsTheUnitViewsWhileTheLeftColumnAndBottomRowKeepTheirPlace) {
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  dlg.BuildLists();
  EXPECT_EQ(dlg.GetWidget()->size(), kTemplateSize);
  EXPECT_EQ(dlg.GetWidget()->minimumSize(), kTemplateSize);
  const CWnd& leftFrame = *dlg.GetDlgItem(kUnaddressedControlId);
  std::map<int, CRect> before;
  for (int id : {kSaveAsButtonId, kPortLabelId, kPortComboId, kStartButtonId, kStopButtonId, kViewFrameId,
                 kLogNameLabelId, kLogNameEditId})
    before[id] = RectInDialog(dlg, *dlg.GetDlgItem(id));
  const CRect leftFrameBefore = RectInDialog(dlg, leftFrame);
  const CRect tabsBefore = RectInDialog(dlg, dlg.m_tabs);
  const CRect bannerBefore = RectInDialog(dlg, dlg.m_banner);
  const CRect outdoorBefore = RectInDialog(dlg, dlg.m_outdoorList);
  const CRect unitBefore = RectInDialog(dlg, dlg.m_unitLists[3]);

  dlg.GetWidget()->resize(kTemplateSize.width() + kGrowXPx, kTemplateSize.height() + kGrowYPx);
  for (int id : {kSaveAsButtonId, kPortLabelId, kPortComboId})
    EXPECT_EQ(RectInDialog(dlg, *dlg.GetDlgItem(id)), before[id]) << id;
  EXPECT_EQ(RectInDialog(dlg, leftFrame), Grown(leftFrameBefore, 0, kGrowYPx));
  for (int id : {kStartButtonId, kStopButtonId, kLogNameLabelId})
    EXPECT_EQ(RectInDialog(dlg, *dlg.GetDlgItem(id)), Moved(before[id], 0, kGrowYPx)) << id;
  CRect edit = Moved(before[kLogNameEditId], 0, kGrowYPx);
  EXPECT_EQ(RectInDialog(dlg, *dlg.GetDlgItem(kLogNameEditId)), Grown(edit, kGrowXPx, 0));
  EXPECT_EQ(RectInDialog(dlg, *dlg.GetDlgItem(kViewFrameId)),
            Grown(before[kViewFrameId], kGrowXPx, kGrowYPx));
  EXPECT_EQ(RectInDialog(dlg, dlg.m_tabs), Grown(tabsBefore, kGrowXPx, kGrowYPx));
  EXPECT_EQ(RectInDialog(dlg, dlg.m_outdoorList), Grown(outdoorBefore, kGrowXPx, kGrowYPx));
  EXPECT_EQ(RectInDialog(dlg, dlg.m_unitLists[3]), Grown(unitBefore, kGrowXPx, kGrowYPx));  // hidden too
  // The banner keeps its 60 px strip below the tabs; showing it moves no list.
  const CRect banner = Grown(Moved(bannerBefore, 0, kGrowYPx), kGrowXPx, 0);
  EXPECT_EQ(RectInDialog(dlg, dlg.m_banner), banner);
  EXPECT_EQ(banner.top, RectInDialog(dlg, dlg.m_tabs).bottom);
  const CRect outdoor = RectInDialog(dlg, dlg.m_outdoorList);
  dlg.m_banner.ShowWindow(SW_SHOW);
  EXPECT_EQ(RectInDialog(dlg, dlg.m_outdoorList), outdoor);

  dlg.GetWidget()->resize(100, 100);
  EXPECT_EQ(dlg.GetWidget()->size(), kTemplateSize);
  EXPECT_EQ(RectInDialog(dlg, dlg.m_outdoorList), outdoorBefore);
}

TEST_F(WindowLayoutTest, ParameterColumnFitsItsLongestLabelWithinTheList) {
  // Unit 1 gets a label far too long for any list; unit 0 keeps the
  // built-in ones, which a 150 px column cuts.
  const std::string longLabel(200, 'W');
  DialogProbe dlg(WriteIni(std::string("[ACLABELS1]\n") + DefaultParamLabels[kIndoorLabelFirst + 1] + "=" +
                           longLabel + "\n"));
  ASSERT_TRUE(dlg.Create());
  dlg.BuildLists();
  const CListCtrl& unit = dlg.m_unitLists[0];
  EXPECT_GT(unit.GetColumnWidth(0), 150);
  EXPECT_GT(unit.GetColumnWidth(0), WidestLabelPx(unit));
  EXPECT_EQ(unit.GetColumnWidth(1), 200);
  // Short labels keep the column's usual width.
  EXPECT_EQ(dlg.m_outdoorList.GetColumnWidth(0), 350);

  const CListCtrl& capped = dlg.m_unitLists[1];
  CRect listRect;
  capped.GetClientRect(&listRect);
  EXPECT_LT(capped.GetColumnWidth(0) + capped.GetColumnWidth(1), listRect.Width());
  EXPECT_LT(capped.GetColumnWidth(0), WidestLabelPx(capped));
  // The cut label shows whole under the pointer.
  dlg.m_tabs.ClickTab(2);
  QTableWidget* table = Table(capped);
  const QPoint at = table->visualRect(table->model()->index(0, 0)).center();
  QHelpEvent rest(QEvent::ToolTip, at, table->viewport()->mapToGlobal(at));
  QApplication::sendEvent(table->viewport(), &rest);
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), QString::fromStdString(longLabel));
}

TEST_F(WindowLayoutTest, SizeAndTheUsersColumnWidthsAreKeptAcrossARestart) {
  const QSize larger(kTemplateSize.width() + kGrowXPx, kTemplateSize.height() + kGrowYPx);
  int fittedUnitWidth = 0;
  {
    DialogProbe dlg(std::string{});
    ASSERT_TRUE(dlg.Create());
    dlg.BuildLists();
    fittedUnitWidth = dlg.m_unitLists[1].GetColumnWidth(0);
    dlg.GetWidget()->resize(larger);
    Table(dlg.m_unitLists[1])->horizontalHeader()->resizeSection(0, 222);  // as a user's drag does
    Table(dlg.m_outdoorList)->horizontalHeader()->resizeSection(1, 260);
    dlg.BuildLists();  // a second Start keeps them
    EXPECT_EQ(dlg.m_unitLists[1].GetColumnWidth(0), 222);
    dlg.DestroyWindow();
  }
  EXPECT_EQ(ReadWindowSizeSetting(), (WindowSize{larger.width(), larger.height()}));

  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  EXPECT_EQ(dlg.GetWidget()->size(), larger);
  dlg.BuildLists();
  EXPECT_EQ(dlg.m_unitLists[1].GetColumnWidth(0), 222);
  EXPECT_EQ(dlg.m_unitLists[1].GetColumnWidth(1), 200);
  EXPECT_EQ(dlg.m_outdoorList.GetColumnWidth(0), 350);
  EXPECT_EQ(dlg.m_outdoorList.GetColumnWidth(1), 260);
  EXPECT_EQ(dlg.m_unitLists[2].GetColumnWidth(0), fittedUnitWidth);
}

TEST_F(WindowLayoutTest, RememberedSizeIsCutToTheScreenAndAnUnchangedWindowStoresNothing) {
  {
    DialogProbe dlg(std::string{});
    ASSERT_TRUE(dlg.Create());
  }
  EXPECT_EQ(ReadWindowSizeSetting(), std::nullopt);

  WriteWindowSizeSetting(WindowSize{5000, 4000});
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  const QSize screen = dlg.GetWidget()->screen()->availableGeometry().size();
  EXPECT_EQ(dlg.GetWidget()->size(), screen.expandedTo(kTemplateSize));
  dlg.DestroyWindow();
  // Not resized by the user: the size kept for a larger screen stays.
  EXPECT_EQ(ReadWindowSizeSetting(), (WindowSize{5000, 4000}));
}

TEST_F(WindowLayoutTest, AboutBoxOpensCentredOnTheWindowWithoutMinimiseOrMaximise) {
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  dlg.GetWidget()->move(30, 60);
  QRect aboutPlace;
  Qt::WindowFlags flags;
  QTimer::singleShot(0, [&] {
    QWidget* about = QApplication::activeModalWidget();
    ASSERT_NE(about, nullptr);
    aboutPlace = about->frameGeometry();
    flags = about->windowFlags();
    about->close();
  });
  dlg.OnSysCommand(kAboutBoxCommand, 0);
  EXPECT_EQ(aboutPlace.center(), dlg.GetWidget()->frameGeometry().center());
  EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
}

}  // namespace
