// The unit lists that every Start builds: rows, labels, columns, styles,
// the tab each list is attached to, and a rebuild for a later run.
#include <gtest/gtest.h>

#include <QTableWidget>
#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "config/default_param_labels.h"
#include "tests/app/dialog_probe.h"

namespace {

std::vector<std::string> Column(const CListCtrl& list, int column) {
  std::vector<std::string> texts;
  for (int row = 0; row < list.GetItemCount(); ++row) texts.push_back(list.GetItemText(row, column));
  return texts;
}

// The labels of parameters `params` in `labels`.
std::vector<std::string> LabelsOf(const std::vector<std::string>& labels, const std::vector<int>& params) {
  std::vector<std::string> texts;
  for (int p : params) texts.push_back(labels[static_cast<size_t>(p)]);
  return texts;
}

int ListWindowsUnder(const CWnd& tabs) {
  return static_cast<int>(tabs.GetWidget()->findChildren<QTableWidget*>(Qt::FindDirectChildrenOnly).size());
}

// Shown parameters with the default sizes (S = 69, A = 40).
const std::vector<int> kShownStatusParams = {3, 5, 7, 9, 10, 11, 15, 30, 39, 67};
const std::vector<int> kShownUnitParams = {1, 3, 5, 6, 7, 8, 10, 11, 12, 13, 16, 17, 24, 26, 27, 39};

using DeviceViewsTest = DialogTest;

TEST_F(DeviceViewsTest, DefaultListsHaveTheirRowsColumnsAndStyles) {
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  dlg.BuildLists();

  const CListCtrl& outdoor = dlg.m_outdoorList;
  EXPECT_EQ(outdoor.GetParent(), &dlg.m_tabs);
  EXPECT_EQ(outdoor.GetDlgCtrlID(), kOutdoorListId);
  EXPECT_EQ(outdoor.GetStyle(), 0x50800001u);
  EXPECT_EQ(outdoor.GetExtendedStyle(), 0x21u);
  EXPECT_EQ(outdoor.GetColumnWidth(0), 350);
  EXPECT_EQ(outdoor.GetColumnWidth(1), 200);
  EXPECT_EQ(Column(outdoor, 0), LabelsOf(dlg.m_config.statusLabels, kShownStatusParams));
  EXPECT_EQ(Column(outdoor, 1), std::vector<std::string>(kShownStatusParams.size()));
  CRect area;
  dlg.m_tabs.GetClientRect(&area);
  CRect listRect;
  outdoor.GetWindowRect(&listRect);
  dlg.m_tabs.ScreenToClient(&listRect);
  EXPECT_EQ(listRect, (CRect{10, 30, area.right - 10, area.bottom - 30}));

  for (int u = 0; u < 4; ++u) {
    SCOPED_TRACE(u);
    const CListCtrl& unit = dlg.m_unitLists[u];
    EXPECT_EQ(unit.GetParent(), &dlg.m_tabs);
    EXPECT_EQ(unit.GetStyle() & ~WS_VISIBLE, 0x40800001u);
    EXPECT_EQ(unit.GetExtendedStyle(), 0x21u);
    EXPECT_GE(unit.GetColumnWidth(0), 150);  // or as wide as its longest label
    EXPECT_EQ(unit.GetColumnWidth(1), 200);
    EXPECT_EQ(Column(unit, 0), LabelsOf(dlg.m_config.acLabels[u], kShownUnitParams));
    EXPECT_FALSE(unit.IsWindowVisible());
  }
  EXPECT_EQ(dlg.m_unitLists[4].GetSafeHwnd(), 0u);
  // The first tab is selected and only its list shows.
  EXPECT_EQ(dlg.m_tabs.GetCurSel(), 0);
  EXPECT_TRUE(outdoor.IsWindowVisible());
  dlg.m_tabs.ClickTab(4);
  EXPECT_FALSE(outdoor.IsWindowVisible());
  EXPECT_TRUE(dlg.m_unitLists[3].IsWindowVisible());
}

TEST_F(DeviceViewsTest, SmallLayoutsKeepOnlyTheRowsBelowTheirCounts) {
  DialogProbe dlg(WriteIni("[CONFIG]\nSTATUSPARAMS=10\nACPARAMS=12\n"));
  ASSERT_TRUE(dlg.Create());
  dlg.BuildLists();
  EXPECT_EQ(Column(dlg.m_outdoorList, 0), LabelsOf(dlg.m_config.statusLabels, {3, 5, 7, 9}));
  EXPECT_EQ(Column(dlg.m_unitLists[2], 0), LabelsOf(dlg.m_config.acLabels[2], {1, 3, 5, 6, 7, 8, 10, 11}));
}

TEST_F(DeviceViewsTest, LabelsComeFromTheConfigurationFile) {
  const std::string ini = std::string("[STATUSLABELS]\n") + DefaultParamLabels[3] + "=Compressor speed\n" +
                          "[ACLABELS3]\n" + DefaultParamLabels[kZizuLabelFirst + 1] + "=Pump of the ZIZU\n";
  DialogProbe dlg(WriteIni(ini));
  ASSERT_TRUE(dlg.Create());
  dlg.BuildLists();
  EXPECT_EQ(dlg.m_outdoorList.GetItemText(0, 0), "Compressor speed");
  EXPECT_EQ(dlg.m_unitLists[3].GetItemText(0, 0), "Pump of the ZIZU");
  EXPECT_EQ(dlg.m_unitLists[2].GetItemText(0, 0), DefaultParamLabels[kIndoorLabelFirst + 1]);
}

TEST_F(DeviceViewsTest, FewUnitsPutTheirListsUnderTheTabsAtTheirIndices) {
  {
    // N = 1: tabs OUTDOOR, ZIZU, INDOOR A / HK; unit 0 shows under ZIZU.
    DialogProbe dlg(WriteIni("[CONFIG]\nNUMDEVICES=1\n"));
    ASSERT_TRUE(dlg.Create());
    dlg.BuildLists();
    dlg.m_tabs.ClickTab(1);
    EXPECT_TRUE(dlg.m_unitLists[0].IsWindowVisible());
    dlg.m_tabs.ClickTab(2);
    EXPECT_FALSE(dlg.m_unitLists[0].IsWindowVisible());
    EXPECT_FALSE(dlg.m_outdoorList.IsWindowVisible());
  }
  // N = 0: the outdoor list shows under ZIZU, the first tab.
  DialogProbe dlg(WriteIni("[CONFIG]\nNUMDEVICES=0\n"));
  ASSERT_TRUE(dlg.Create());
  dlg.BuildLists();
  EXPECT_EQ(dlg.m_tabs.GetItemText(0), "ZIZU");
  EXPECT_TRUE(dlg.m_outdoorList.IsWindowVisible());
  EXPECT_EQ(ListWindowsUnder(dlg.m_tabs), 1);
}

TEST_F(DeviceViewsTest, EveryBuildLeavesOneFreshWindowPerList) {
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  dlg.BuildLists();
  std::vector<int> values(229);
  for (int i = 0; i < 229; ++i) values[static_cast<size_t>(i)] = i;
  dlg.PostRecord(RecordText(values), 0);
  PumpPostedMessages();
  ASSERT_EQ(dlg.m_outdoorList.GetItemText(9, 1), "67");
  dlg.m_tabs.ClickTab(2);

  dlg.BuildLists();
  EXPECT_EQ(ListWindowsUnder(dlg.m_tabs), 5);
  EXPECT_EQ(Column(dlg.m_outdoorList, 1), std::vector<std::string>(kShownStatusParams.size()));
  EXPECT_EQ(Column(dlg.m_unitLists[0], 1), std::vector<std::string>(kShownUnitParams.size()));
  EXPECT_EQ(dlg.m_tabs.GetCurSel(), 0);
  EXPECT_TRUE(dlg.m_outdoorList.IsWindowVisible());
  dlg.m_tabs.ClickTab(2);
  EXPECT_TRUE(dlg.m_unitLists[1].IsWindowVisible());
  EXPECT_FALSE(dlg.m_outdoorList.IsWindowVisible());
}

// The lists show exactly what the run's views hold, which an unattended run
// prints: the same tabs, rows, labels and Value texts.
void ExpectListsShowTheViews(const DialogProbe& dlg) {
  const ViewDump shown = dlg.DumpViews();
  ViewDump kept = dlg.m_views->Dump();
  kept.bannerShown = shown.bannerShown;
  std::string shownText;
  std::string keptText;
  AppendViewDump(shown, shownText);
  AppendViewDump(kept, keptText);
  EXPECT_EQ(shownText, keptText);
}

TEST_F(DeviceViewsTest, UnitsPastTheTenthAreNotShown) {
  DialogProbe dlg(WriteIni("[CONFIG]\nNUMDEVICES=12\n"));
  ASSERT_TRUE(dlg.Create());
  dlg.BuildLists();
  ASSERT_EQ(dlg.m_tabs.GetItemCount(), 11);
  EXPECT_EQ(dlg.m_tabs.GetItemText(9), "INDOOR I");
  EXPECT_EQ(dlg.m_tabs.GetItemText(10), "ZIZU");
  EXPECT_EQ(ListWindowsUnder(dlg.m_tabs), 11);

  // A record carries all twelve units; the tenth is the last one shown.
  const int valueCount = 69 + 12 * 40;
  std::vector<int> values(static_cast<size_t>(valueCount));
  for (int i = 0; i < valueCount; ++i) values[static_cast<size_t>(i)] = i;
  dlg.PostRecord(RecordText(values), 0);
  PumpPostedMessages();
  EXPECT_EQ(dlg.m_unitLists[9].GetItemText(15, 1), "468");  // Software Version, 69 + 9 * 40 + 39
  ExpectListsShowTheViews(dlg);
  dlg.m_tabs.ClickTab(10);
  EXPECT_TRUE(dlg.m_unitLists[9].IsWindowVisible());
}

// The dump reads the tabs and the lists attached to them, so it shows what
// the window shows: here unit 0 under ZIZU and nothing under INDOOR A / HK.
TEST_F(DeviceViewsTest, DumpHoldsEveryTabWithTheRowsOfItsList) {
  DialogProbe dlg(WriteIni("[CONFIG]\nNUMDEVICES=1\n"));
  ASSERT_TRUE(dlg.Create());
  ViewDump dump = dlg.DumpViews();
  ASSERT_EQ(dump.tabs.size(), 3u);
  for (const DumpTab& tab : dump.tabs) EXPECT_TRUE(tab.rows.empty()) << tab.text;  // no lists yet

  dlg.BuildLists();
  std::vector<int> values(109);
  for (int i = 0; i < 109; ++i) values[static_cast<size_t>(i)] = i;
  dlg.PostRecord(RecordText(values), 0);
  PumpPostedMessages();
  dlg.m_banner.ShowWindow(SW_SHOW);
  dump = dlg.DumpViews();
  EXPECT_TRUE(dump.bannerShown);
  ASSERT_EQ(dump.tabs.size(), 3u);
  const std::vector<std::string> texts = {"OUTDOOR", "ZIZU", "INDOOR A / HK"};
  const std::vector<const CListCtrl*> lists = {&dlg.m_outdoorList, &dlg.m_unitLists[0], nullptr};
  for (size_t tab = 0; tab < texts.size(); ++tab) {
    SCOPED_TRACE(texts[tab]);
    EXPECT_EQ(dump.tabs[tab].text, texts[tab]);
    std::vector<std::string> parameters;
    std::vector<std::string> cells;
    for (const DumpRow& row : dump.tabs[tab].rows) {
      parameters.push_back(row.parameter);
      cells.push_back(row.value);
    }
    EXPECT_EQ(parameters, lists[tab] ? Column(*lists[tab], 0) : std::vector<std::string>{});
    EXPECT_EQ(cells, lists[tab] ? Column(*lists[tab], 1) : std::vector<std::string>{});
  }
  EXPECT_EQ(dump.tabs[0].rows[9].value, "67");
  ExpectListsShowTheViews(dlg);
  dlg.m_banner.ShowWindow(SW_HIDE);
  EXPECT_FALSE(dlg.DumpViews().bannerShown);
}

}  // namespace
