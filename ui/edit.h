// CEdit: single-line edit fields.
#pragma once

#include "ui/wnd.h"

class CEdit : public CWnd {
 public:
  // ES_READONLY: shows text the user can select but not change.
  // WS_BORDER draws a frame; the text scrolls horizontally.
  BOOL Create(DWORD dwStyle, const CRect& rect, const CWnd* pParentWnd, int nID);
};
