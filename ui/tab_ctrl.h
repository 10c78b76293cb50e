// CTabCtrl: a tab control, one row of text tabs over a display area.
//
// The control's window covers the row of tabs and the display area below
// it; other windows can be created as its children and lie in that area.
// Which of them is visible is up to the program (see CSTabCtrl in app/).
#pragma once

#include <string>
#include <string_view>

#include "ui/wnd.h"

class CTabCtrl : public CWnd {
 public:
  // A user's change of the selected tab (mouse or keyboard) raises
  // TCN_SELCHANGE: first reflected to this object (OnReflectedNotify),
  // then, unless that handled it, passed to the parent. Inserting tabs and
  // SetCurSel raise nothing.
  BOOL Create(DWORD dwStyle, const CRect& rect, const CWnd* pParentWnd, int nID);

  // Inserts a text tab before index `nItem` (an index past the end
  // appends). The first tab inserted becomes the selected one; the selected
  // tab stays selected when others are inserted before it. Returns the new
  // tab's index, or -1 for a negative index or without a window.
  int InsertItem(int nItem, std::string_view text);
  // 0 without a window.
  int GetItemCount() const;
  // Selects tab `nItem`; returns the index selected before, or -1 when the
  // index is out of range (the selection then stays).
  int SetCurSel(int nItem);
  // The selected tab, -1 when none.
  int GetCurSel() const;
  // The text tab `nItem` was inserted with; empty for an index out of range.
  std::string GetItemText(int nItem) const;
  // Selects tab `nItem` as a user's click does, TCN_SELCHANGE included.
  void ClickTab(int nItem);
};
