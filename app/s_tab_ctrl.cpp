// Tab control with controls attached to its tabs.
#include "app/s_tab_ctrl.h"

CSTabCtrl::CSTabPage* CSTabCtrl::CPageToControlsMap::Lookup(int nTab) const {
  auto it = m_pages.find(nTab);
  return it == m_pages.end() ? nullptr : it->second.get();
}

CSTabCtrl::CSTabPage& CSTabCtrl::CPageToControlsMap::GetOrCreate(int nTab) {
  std::unique_ptr<CSTabPage>& page = m_pages[nTab];
  if (!page) page = std::make_unique<CSTabPage>();
  return *page;
}

CSTabCtrl::~CSTabCtrl() {
  // The window goes with the CWnd part; its OnDestroy would not reach this
  // part then, so destroy it while the whole object exists.
  DestroyWindow();
  m_pages.RemoveAll();
}

BOOL CSTabCtrl::AddPageControl(CWnd* pControl, int nTab) {
  if (nTab >= GetItemCount()) return FALSE;
  m_pages.GetOrCreate(nTab).m_controls.push_back(pControl);
  if (pControl != nullptr) pControl->ShowWindow(SW_HIDE);
  return TRUE;
}

int CSTabCtrl::SelectPage(int nTab) {
  const int previous = SetCurSel(nTab);
  SwapToSelectedPage();
  return previous;
}

void CSTabCtrl::SwapToSelectedPage() {
  const int selected = GetCurSel();
  // -1 means no page is shown; controls attached to negative indexes are
  // never shown or hidden again.
  if (m_nCurrentPage >= 0) ShowPageControls(m_nCurrentPage, SW_HIDE);
  if (selected >= 0) ShowPageControls(selected, SW_SHOW);
  m_nCurrentPage = selected;
}

BOOL CSTabCtrl::ShowPageControls(int nTab, int nCmdShow) {
  CSTabPage* page = m_pages.Lookup(nTab);
  if (page == nullptr) return FALSE;
  for (CWnd* control : page->m_controls) {
    if (control != nullptr) control->ShowWindow(nCmdShow);
  }
  return TRUE;
}

BOOL CSTabCtrl::EnablePageControls(int nTab, BOOL bEnable) {
  CSTabPage* page = m_pages.Lookup(nTab);
  if (page == nullptr) return FALSE;
  for (CWnd* control : page->m_controls) {
    if (control != nullptr) control->EnableWindow(bEnable);
  }
  return TRUE;
}

BOOL CSTabCtrl::OnReflectedNotify(UINT code, LRESULT* pResult) {
  if (code != TCN_SELCHANGE) return CTabCtrl::OnReflectedNotify(code, pResult);
  SwapToSelectedPage();
  *pResult = 0;
  return FALSE;
}

void CSTabCtrl::OnEnable(BOOL bEnable) {
  CTabCtrl::OnEnable(bEnable);
  const int count = GetItemCount();
  for (int tab = 0; tab < count; ++tab) EnablePageControls(tab, bEnable);
}

void CSTabCtrl::OnDestroy() {
  CTabCtrl::OnDestroy();
  m_pages.RemoveAll();
}
