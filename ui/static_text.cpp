// Static text on QLabel.
#include "ui/static_text.h"

#include <QColor>
#include <QIcon>
#include <QLabel>
#include <QPalette>
#include <algorithm>

namespace {

QColor ColorOf(COLORREF color) {
  return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

}  // namespace

BOOL CStatic::Create(std::string_view text, DWORD dwStyle, const CRect& rect, const CWnd* pParentWnd,
                     int nID) {
  auto* label = new QLabel;
  const DWORD type = dwStyle & kStaticTypeMask;
  const bool centredVertically = (dwStyle & SS_CENTERIMAGE) != 0;
  label->setWordWrap(type != SS_ICON && !centredVertically);
  label->setTextFormat(Qt::PlainText);
  const Qt::Alignment horizontal = type == SS_CENTER  ? Qt::AlignHCenter
                                   : type == SS_RIGHT ? Qt::AlignRight
                                                      : Qt::AlignLeft;
  label->setAlignment(horizontal | (centredVertically ? Qt::AlignVCenter : Qt::AlignTop));
  if (!CreateFromWidget(label, dwStyle, rect, pParentWnd, nID)) return FALSE;
  if (type != SS_ICON) SetWindowText(text);
  return TRUE;
}

void CStatic::SetIcon(const QIcon& icon) {
  auto* label = qobject_cast<QLabel*>(GetWidget());
  if (label == nullptr) return;
  // Icon images are square: a square request picks the image drawn for
  // that size instead of scaling a larger one down.
  const int side = std::min(label->width(), label->height());
  label->setPixmap(icon.pixmap(QSize(side, side), label->devicePixelRatioF()));
}

void CStatic::SetColors(COLORREF textColor, COLORREF backgroundColor) {
  QWidget* label = GetWidget();
  if (label == nullptr) return;
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, ColorOf(textColor));
  palette.setColor(QPalette::Window, ColorOf(backgroundColor));
  label->setPalette(palette);
  label->setAutoFillBackground(true);
}
