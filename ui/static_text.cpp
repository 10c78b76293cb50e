// Static text on QLabel.
#include "ui/static_text.h"

#include <QIcon>
#include <QLabel>

BOOL CStatic::Create(std::string_view text, DWORD dwStyle, const CRect& rect, const CWnd* pParentWnd,
                     int nID) {
  auto* label = new QLabel;
  const DWORD type = dwStyle & kStaticTypeMask;
  label->setWordWrap(type != SS_ICON);
  label->setTextFormat(Qt::PlainText);
  const Qt::Alignment horizontal = type == SS_CENTER  ? Qt::AlignHCenter
                                   : type == SS_RIGHT ? Qt::AlignRight
                                                      : Qt::AlignLeft;
  label->setAlignment(horizontal | Qt::AlignTop);
  if (!CreateFromWidget(label, dwStyle, rect, pParentWnd, nID)) return FALSE;
  if (type != SS_ICON) SetWindowText(text);
  return TRUE;
}

void CStatic::SetIcon(const QIcon& icon) {
  if (auto* label = qobject_cast<QLabel*>(GetWidget())) label->setPixmap(icon.pixmap(label->size()));
}
