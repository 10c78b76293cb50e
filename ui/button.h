// CButton: push buttons and group boxes.
#pragma once

#include <string_view>

#include "ui/wnd.h"

class CButton : public CWnd {
 public:
  // BS_PUSHBUTTON or BS_DEFPUSHBUTTON: a push button whose click raises
  // BN_CLICKED to the parent. BS_GROUPBOX: a titled frame that takes no
  // input, so controls lying under it stay usable.
  BOOL Create(std::string_view caption, DWORD dwStyle, const CRect& rect, const CWnd* pParentWnd, int nID);
  // Clicks the button as a user would (raises BN_CLICKED when enabled).
  void Click();
};
