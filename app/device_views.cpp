// Device views of the main dialog: the unit tabs, the banner below them and
// the Parameter/Value list of every unit.
#include <string>

#include "app/logger_dialog.h"
#include "app/resource_ids.h"
#include "decode/shown_params.h"
#include "decode/unit_tabs.h"

namespace {

constexpr std::string_view kBannerText = "COMMUNICATION ERROR";
// Height of the banner's strip at the bottom of the group box.
constexpr int kBannerStripPx = 60;
// Gap between the banner and the sides of the group box.
constexpr int kBannerInsetPx = 10;
// Gaps between a list and the sides of the tab control; the top one leaves
// the row of tabs free.
constexpr int kListSideInsetPx = 10;
constexpr int kListTopBottomInsetPx = 30;
constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT;   // 0x50800001
constexpr DWORD kListExtendedStyle = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT;  // 0x21
constexpr int kOutdoorParameterColumnPx = 350;
constexpr int kUnitParameterColumnPx = 150;
constexpr int kValueColumnPx = 200;

}  // namespace

void CTESSAMPLENXLOGGERDlg::SetupViews() {
  CRect frame;
  m_viewFrame.GetClientRect(&frame);
  m_viewFrame.ClientToScreen(&frame);
  ScreenToClient(&frame);

  m_tabs.MoveWindow(frame.left, frame.top, frame.Width(), frame.Height() - kBannerStripPx);
  m_tabs.RedrawWindow();

  // A NUMDEVICES above the lists the dialog has is shown as its first units.
  for (const TabInsertion& tab : UnitTabInsertions(m_config.ShownUnitCount()))
    m_tabs.InsertItem(tab.index, tab.text);
  m_tabs.RedrawWindow();

  const CRect bannerRect{frame.left + kBannerInsetPx, frame.bottom - kBannerStripPx,
                         frame.right - kBannerInsetPx, frame.bottom};
  m_banner.Create(kBannerText, WS_CHILD | WS_VISIBLE | SS_CENTER, bannerRect, this, kBannerId);
  m_banner.ShowWindow(SW_HIDE);

  FillPortList();
}

void CTESSAMPLENXLOGGERDlg::BuildList(CListCtrl& list, int nID, int parameterColumnWidthPx, int listIndex) {
  // From the second run on the list still has the earlier run's window: it
  // is rebuilt from the configuration so that no stale value remains.
  list.DestroyWindow();
  CRect area;
  m_tabs.GetClientRect(&area);
  area.left += kListSideInsetPx;
  area.right -= kListSideInsetPx;
  area.top += kListTopBottomInsetPx;
  area.bottom -= kListTopBottomInsetPx;
  list.Create(kListStyle, area, &m_tabs, nID);
  list.SetExtendedStyle(kListExtendedStyle);
  list.InsertColumn(0, "Parameter", LVCFMT_LEFT, parameterColumnWidthPx);
  list.InsertColumn(1, "Value", LVCFMT_LEFT, kValueColumnPx);

  const std::vector<std::string>& labels =
      listIndex == kOutdoorListIndex ? m_config.statusLabels : m_config.acLabels[listIndex - 1];
  const std::vector<std::vector<ShownRow>> rows = ListRows(m_config.ShownLayout());
  for (const ShownRow& row : rows[listIndex]) {
    const auto label = static_cast<size_t>(row.param);
    list.InsertItem(list.GetItemCount(), label < labels.size() ? labels[label] : std::string());
  }
}

void CTESSAMPLENXLOGGERDlg::BuildOutdoorList() {
  BuildList(m_outdoorList, kOutdoorListId, kOutdoorParameterColumnPx, kOutdoorListIndex);
  m_outdoorList.RedrawWindow();
  m_tabs.AddPageControl(&m_outdoorList, 0);
  m_tabs.RedrawWindow();
}

void CTESSAMPLENXLOGGERDlg::BuildUnitLists() {
  for (int u = 0; u < m_config.ShownUnitCount(); ++u) {
    BuildList(m_unitLists[u], kUnitListId, kUnitParameterColumnPx, u + 1);
    m_tabs.AddPageControl(&m_unitLists[u], u + 1);
  }
  m_tabs.RedrawWindow();
  m_tabs.SelectPage(0);
}
