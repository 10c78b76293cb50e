// Edit fields on QLineEdit.
#include "ui/edit.h"

#include <QLineEdit>

BOOL CEdit::Create(DWORD dwStyle, const CRect& rect, const CWnd* pParentWnd, int nID) {
  auto* edit = new QLineEdit;
  edit->setReadOnly((dwStyle & ES_READONLY) != 0);
  edit->setFrame((dwStyle & WS_BORDER) != 0);
  edit->setFocusPolicy((dwStyle & WS_TABSTOP) != 0 ? Qt::StrongFocus : Qt::ClickFocus);
  return CreateFromWidget(edit, dwStyle, rect, pParentWnd, nID);
}
