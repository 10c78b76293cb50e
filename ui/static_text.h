// CStatic: static text and icons.
#pragma once

#include <string_view>

#include "ui/wnd.h"

class QIcon;

class CStatic : public CWnd {
 public:
  // SS_LEFT or SS_CENTER: wrapped text, left-aligned or centred, at the top
  // of the rectangle. SS_ICON: shows the icon given with SetIcon.
  BOOL Create(std::string_view text, DWORD dwStyle, const CRect& rect, const CWnd* pParentWnd, int nID);
  // The icon of an SS_ICON static, drawn at the static's size.
  void SetIcon(const QIcon& icon);
};
