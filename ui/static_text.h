// CStatic: static text and icons.
#pragma once

#include <string_view>

#include "ui/wnd.h"

class QIcon;

class CStatic : public CWnd {
 public:
  // SS_LEFT or SS_CENTER: wrapped text, left-aligned or centred, at the top
  // of the rectangle. SS_ICON: shows the icon given with SetIcon.
  // SS_CENTERIMAGE with text: one line, centred vertically too.
  BOOL Create(std::string_view text, DWORD dwStyle, const CRect& rect, const CWnd* pParentWnd, int nID);
  // The icon of an SS_ICON static, drawn as a square of the static's
  // smaller side at the screen's resolution.
  void SetIcon(const QIcon& icon);
  // Draws the text in `textColor` on the static's rectangle filled with
  // `backgroundColor`.
  void SetColors(COLORREF textColor, COLORREF backgroundColor);
};
