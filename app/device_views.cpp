// Device views of the main dialog: the unit tabs, the banner below them and
// the Parameter/Value list of every unit.
#include <algorithm>
#include <string>

#include "app/logger_dialog.h"
#include "app/resource_ids.h"
#include "decode/communication_error_text.h"
#include "decode/shown_params.h"
#include "decode/unit_tabs.h"
#include "ui/control_anchor.h"

namespace {

constexpr std::string_view kBannerText = kCommunicationErrorText;
// The banner is read from a metre away: large bold white text on a strip of
// dark red (a contrast of about 7 to 1).
constexpr int kBannerPointSize = 18;
constexpr COLORREF kBannerTextColor = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kBannerBackgroundColor = RGB(0xB7, 0x1C, 0x1C);
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
// Room a list takes beside its columns: its border and vertical scroll bar.
constexpr int kListBorderAndScrollBarPx = 20;
constexpr int kParameterColumn = 0;
constexpr int kValueColumn = 1;

// The width a user gave column `column` of list `listIndex`, or 0.
int UserWidth(const ColumnWidths& widths, int listIndex, int column) {
  const auto list = static_cast<size_t>(listIndex);
  const auto index = static_cast<size_t>(column);
  return list < widths.size() && index < widths[list].size() ? widths[list][index] : 0;
}

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

  // The strip holds the banner and, under it, the run's state line.
  const CRect bannerRect{frame.left + kBannerInsetPx, frame.bottom - kBannerStripPx,
                         frame.right - kBannerInsetPx, frame.bottom - kRunStateLinePx};
  const CRect stateRect{bannerRect.left, bannerRect.bottom, bannerRect.right, frame.bottom};
  m_stateLine.Create(stateRect, this, kRunStateLineId);
  m_banner.Create(kBannerText, WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, bannerRect, this,
                  kBannerId);
  m_banner.SetFont(kBannerPointSize, FW_BOLD);
  m_banner.SetColors(kBannerTextColor, kBannerBackgroundColor);
  m_banner.ShowWindow(SW_HIDE);

  FillPortList();
}

void CTESSAMPLENXLOGGERDlg::BuildList(CListCtrl& list, int nID, int parameterColumnWidthPx, int listIndex) {
  // From the second run on the list still has the earlier run's window: it
  // is rebuilt from the configuration so that no stale value remains, after
  // the widths the user gave its columns have been noted.
  NoteUserColumnWidths(list, listIndex);
  list.DestroyWindow();
  CRect area;
  m_tabs.GetClientRect(&area);
  area.left += kListSideInsetPx;
  area.right -= kListSideInsetPx;
  area.top += kListTopBottomInsetPx;
  area.bottom -= kListTopBottomInsetPx;
  list.Create(kListStyle, area, &m_tabs, nID);
  AnchorToParent(list, kAnchorAll);
  list.SetExtendedStyle(kListExtendedStyle);
  list.InsertColumn(kParameterColumn, "Parameter", LVCFMT_LEFT, parameterColumnWidthPx);
  list.InsertColumn(kValueColumn, "Value", LVCFMT_LEFT, kValueColumnPx);

  const std::vector<std::string>& labels =
      listIndex == kOutdoorListIndex ? m_config.statusLabels : m_config.acLabels[listIndex - 1];
  const std::vector<std::vector<ShownRow>> rows = ListRows(m_config.ShownLayout());
  for (const ShownRow& row : rows[listIndex]) {
    const auto label = static_cast<size_t>(row.param);
    list.InsertItem(list.GetItemCount(), label < labels.size() ? labels[label] : std::string());
  }

  const int userValueWidth = UserWidth(m_userColumnWidths, listIndex, kValueColumn);
  if (userValueWidth > 0) list.SetColumnWidth(kValueColumn, userValueWidth);
  if (const int userWidth = UserWidth(m_userColumnWidths, listIndex, kParameterColumn); userWidth > 0) {
    list.SetColumnWidth(kParameterColumn, userWidth);
  } else {
    // The longest label and the heading, but never narrower than the
    // column's usual width, nor so wide that the Value column leaves the list.
    list.SetColumnWidth(kParameterColumn, LVSCW_AUTOSIZE_USEHEADER);
    const int roomPx = area.Width() - kListBorderAndScrollBarPx - list.GetColumnWidth(kValueColumn);
    const int fittedPx = std::min(list.GetColumnWidth(kParameterColumn), roomPx);
    list.SetColumnWidth(kParameterColumn, std::max(fittedPx, parameterColumnWidthPx));
  }
  const auto index = static_cast<size_t>(listIndex);
  if (m_builtColumnWidths.size() <= index) m_builtColumnWidths.resize(index + 1);
  m_builtColumnWidths[index] = {list.GetColumnWidth(kParameterColumn), list.GetColumnWidth(kValueColumn)};
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
