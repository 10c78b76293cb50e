// The dialog's views as a ViewDump: read back from the tab control and the
// lists themselves, so the text is what the window shows.
#include "app/logger_dialog.h"

ViewDump CTESSAMPLENXLOGGERDlg::DumpViews() const {
  ViewDump dump;
  // The banner's own state: the window around it may be minimised.
  dump.bannerShown = (m_banner.GetStyle() & WS_VISIBLE) != 0;
  for (int tab = 0; tab < m_tabs.GetItemCount(); ++tab) {
    DumpTab& dumped = dump.tabs.emplace_back();
    dumped.text = m_tabs.GetItemText(tab);
    const CSTabCtrl::CSTabPage* page = m_tabs.m_pages.Lookup(tab);
    if (page == nullptr) continue;
    for (const CWnd* control : page->m_controls) {
      const auto* list = dynamic_cast<const CListCtrl*>(control);
      if (list == nullptr || list->GetSafeHwnd() == 0) continue;
      for (int row = 0; row < list->GetItemCount(); ++row)
        dumped.rows.push_back({list->GetItemText(row, 0), list->GetItemText(row, 1)});
    }
  }
  return dump;
}
