// CSTabCtrl: a tab control that shows, under each tab, the controls
// attached to that tab (its page) and hides those of every other tab.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "ui/tab_ctrl.h"

class CSTabCtrl : public CTabCtrl {
 public:
  // Page record: the controls attached to one tab, in order of attachment.
  // The same control may stand more than once, and a null one acts on no
  // window. The controls belong to the dialog; a page only refers to them.
  class CSTabPage {
   public:
    std::vector<CWnd*> m_controls;
  };

  // Tab index to page record. Owns the records: they go with the map.
  class CPageToControlsMap {
   public:
    // The page of `nTab`, or null when nothing was ever attached to it.
    CSTabPage* Lookup(int nTab) const;
    // The page of `nTab`, created empty when there is none.
    CSTabPage& GetOrCreate(int nTab);
    // Deletes every page record.
    void RemoveAll() { m_pages.clear(); }
    bool IsEmpty() const { return m_pages.empty(); }

   private:
    std::map<int, std::unique_ptr<CSTabPage>> m_pages;
  };

  CSTabCtrl() = default;
  ~CSTabCtrl() override;

  // Attaches `pControl` to tab `nTab` and hides its window at once,
  // whatever tab is selected. Returns FALSE, changing nothing, when `nTab`
  // is not below the number of tabs; every smaller index is accepted, a
  // negative one included (its controls are then never shown, hidden or
  // enabled again).
  virtual BOOL AddPageControl(CWnd* pControl, int nTab);
  // Selects tab `nTab`, then hides the page shown so far and shows the page
  // of the tab selected now (which is still the old one when the index is
  // refused). Returns the previously selected index, or -1 when the index
  // was refused. Selecting by program raises no TCN_SELCHANGE, which is why
  // the swap is done here.
  virtual int SelectPage(int nTab);

  // Tab index whose controls are shown; -1 for none.
  int m_nCurrentPage = -1;
  CPageToControlsMap m_pages;

 protected:
  // ShowWindow or EnableWindow on each control of page `nTab`, in order;
  // FALSE when the tab has no page.
  BOOL ShowPageControls(int nTab, int nCmdShow);
  BOOL EnablePageControls(int nTab, BOOL bEnable);

  // TCN_SELCHANGE from a user's choice: swaps the pages, sets the result to
  // 0 and lets the parent receive the notification as well.
  BOOL OnReflectedNotify(UINT code, LRESULT* pResult) override;
  // Enables or disables the controls of every page from 0 to the tab count
  // minus 1, the hidden ones included.
  void OnEnable(BOOL bEnable) override;
  // Forgets every page; the controls are neither hidden nor destroyed.
  void OnDestroy() override;

 private:
  // Hides page m_nCurrentPage, shows the page of the selected tab and
  // makes it current.
  void SwapToSelectedPage();
};
