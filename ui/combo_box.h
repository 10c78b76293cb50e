// CComboBox: drop-down lists.
#pragma once

#include <string>
#include <string_view>

#include "ui/wnd.h"

class CComboBox : public CWnd {
 public:
  // CBS_DROPDOWNLIST: a list to choose from, without typing. The rectangle's
  // height is that of the open list; the closed box takes its natural height.
  // A selection the user makes raises CBN_SELCHANGE to the parent; one made
  // with SetCurSel raises nothing.
  BOOL Create(DWORD dwStyle, const CRect& rect, const CWnd* pParentWnd, int nID);

  // Appends an item (the list is not sorted); returns its index, CB_ERR
  // without a window.
  int AddString(std::string_view text);
  int GetCount() const;
  // Selects item `nSelect` and returns it; an index out of range clears the
  // selection and returns CB_ERR.
  int SetCurSel(int nSelect);
  // Selects item `nIndex` as a user's choice does: CBN_SELCHANGE is raised
  // when the selection changes. FALSE for an index out of range.
  BOOL ChooseItem(int nIndex);
  // The selected index, CB_ERR when none.
  int GetCurSel() const;
  // Stores item `nIndex`'s text (the bytes given to AddString) and returns
  // its length, or CB_ERR for an index out of range.
  int GetLBText(int nIndex, std::string& text) const;
};
