// CListCtrl: a list view in report style (columns with a header, rows of
// cells). A cell too narrow for its text shows it cut, and whole as a
// tooltip when the pointer rests on it. The user can drag the width of
// every column.
#pragma once

#include <string>
#include <string_view>

#include "ui/wnd.h"

class CListCtrl : public CWnd {
 public:
  // LVS_REPORT is the only view offered. Cells are read-only to the user.
  BOOL Create(DWORD dwStyle, const CRect& rect, const CWnd* pParentWnd, int nID);

  // LVS_EX_GRIDLINES draws lines between cells, LVS_EX_FULLROWSELECT selects
  // whole rows. Returns the previous extended style.
  DWORD SetExtendedStyle(DWORD dwNewStyle);
  DWORD GetExtendedStyle() const;

  // Inserts a column with a heading, format (LVCFMT_LEFT) and width in
  // pixels; returns its index or -1.
  int InsertColumn(int nCol, std::string_view heading, int nFormat = LVCFMT_LEFT, int nWidth = -1);
  int GetColumnCount() const;
  int GetColumnWidth(int nCol) const;
  // Sets the width of column `nCol` in pixels, or fits it to the widest of
  // its cell texts (LVSCW_AUTOSIZE) or of its cell texts and its heading
  // (LVSCW_AUTOSIZE_USEHEADER). FALSE for a column out of range.
  BOOL SetColumnWidth(int nCol, int cx);
  // Inserts a row whose first cell holds `text` before row `nItem` (an index
  // past the end appends); returns its index or -1.
  int InsertItem(int nItem, std::string_view text);
  int GetItemCount() const;
  // FALSE for a cell out of range.
  BOOL SetItemText(int nItem, int nSubItem, std::string_view text);
  // The bytes a cell was set with; empty for a cell out of range.
  std::string GetItemText(int nItem, int nSubItem) const;

 private:
  DWORD m_extendedStyle = 0;
};
