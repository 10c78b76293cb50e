// Push buttons and group boxes on QPushButton and QGroupBox.
#include "ui/button.h"

#include <QGroupBox>
#include <QPushButton>

#include "ui/window_dispatch.h"

BOOL CButton::Create(std::string_view caption, DWORD dwStyle, const CRect& rect, const CWnd* pParentWnd,
                     int nID) {
  QWidget* widget = nullptr;
  if ((dwStyle & kButtonTypeMask) == BS_GROUPBOX) {
    auto* group = new QGroupBox;
    group->setAttribute(Qt::WA_TransparentForMouseEvents);
    group->setFocusPolicy(Qt::NoFocus);
    widget = group;
  } else {
    auto* button = new QPushButton;
    // Enter is handled by the dialog: it clicks the focused button or ends
    // the dialog, so Qt's own default-button logic stays off.
    button->setAutoDefault(false);
    button->setDefault((dwStyle & kButtonTypeMask) == BS_DEFPUSHBUTTON);
    button->setFocusPolicy((dwStyle & WS_TABSTOP) != 0 ? Qt::StrongFocus : Qt::ClickFocus);
    widget = button;
  }
  if (!CreateFromWidget(widget, dwStyle, rect, pParentWnd, nID)) return FALSE;
  SetWindowText(caption);
  if (auto* button = qobject_cast<QPushButton*>(widget)) {
    const HWND handle = GetSafeHwnd();
    QObject::connect(button, &QPushButton::clicked,
                     [handle] { WindowDispatch::DeliverNotification(handle, BN_CLICKED); });
  }
  return TRUE;
}

void CButton::Click() {
  if (auto* button = qobject_cast<QPushButton*>(GetWidget())) button->click();
}
