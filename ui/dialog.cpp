// Dialogs on QDialog.
#include "ui/dialog.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QIcon>
#include <QKeyEvent>
#include <QPushButton>

#include "ui/button.h"
#include "ui/combo_box.h"
#include "ui/dialog_units.h"
#include "ui/edit.h"
#include "ui/list_ctrl.h"
#include "ui/static_text.h"
#include "ui/tab_ctrl.h"
#include "ui/window_dispatch.h"
#include "ui/window_registry.h"

namespace {

// The dialog's top-level window: turns Escape, Enter and the window's
// close into the dialog's commands instead of Qt's own handling.
class DialogWindow : public QDialog {
 public:
  explicit DialogWindow(QWidget* parent) : QDialog(parent) {}

  void reject() override { Command(IDCANCEL); }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (plain && event->key() == Qt::Key_Escape) {
      Command(IDCANCEL);
    } else if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
      PressEnter();
    } else {
      event->ignore();
    }
  }

  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    Command(IDCANCEL);
  }

 private:
  void Command(int id) {
    WindowDispatch::DeliverCommand(WindowRegistry::Instance().HandleOf(this), id, BN_CLICKED);
  }

  void PressEnter() {
    if (auto* focused = qobject_cast<QPushButton*>(focusWidget()); focused && focused->isEnabled()) {
      focused->click();
      return;
    }
    for (QPushButton* button : findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
      if (button->isDefault() && button->isVisible()) {
        if (button->isEnabled()) button->click();
        return;
      }
    }
    Command(IDOK);
  }
};

std::unique_ptr<CWnd> CreateItem(const DialogItemTemplate& item, const CWnd* dialog) {
  const DWORD style = item.style | WS_CHILD | WS_VISIBLE;
  const CRect rect = DialogRectToPixels(item.x, item.y, item.cx, item.cy);
  switch (item.controlClass) {
    case DialogControlClass::kButton: {
      auto control = std::make_unique<CButton>();
      control->Create(item.text, style, rect, dialog, item.id);
      return control;
    }
    case DialogControlClass::kStatic: {
      auto control = std::make_unique<CStatic>();
      control->Create(item.text, style, rect, dialog, item.id);
      return control;
    }
    case DialogControlClass::kEdit: {
      auto control = std::make_unique<CEdit>();
      if (control->Create(style, rect, dialog, item.id)) control->SetWindowText(item.text);
      return control;
    }
    case DialogControlClass::kComboBox: {
      auto control = std::make_unique<CComboBox>();
      control->Create(style, rect, dialog, item.id);
      return control;
    }
    case DialogControlClass::kTabControl: {
      auto control = std::make_unique<CTabCtrl>();
      control->Create(style, rect, dialog, item.id);
      return control;
    }
    case DialogControlClass::kListView: {
      auto control = std::make_unique<CListCtrl>();
      control->Create(style, rect, dialog, item.id);
      return control;
    }
  }
  return nullptr;
}

}  // namespace

CDialog::CDialog(DialogTemplate dialogTemplate, CWnd* pParentWnd)
    : m_template(std::move(dialogTemplate)), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() = default;

BOOL CDialog::CreateDialogWindow() {
  if (GetSafeHwnd() != 0) return FALSE;
  if (m_pParentWnd != nullptr && m_pParentWnd->GetSafeHwnd() == 0) return FALSE;
  m_templateControls.clear();
  m_endRequested = false;
  m_modalResult = -1;

  auto* window = new DialogWindow(nullptr);
  QFont font = QApplication::font();
  font.setPointSize(m_template.fontPointSize);
  window->setFont(font);
  CRect rect = DialogRectToPixels(m_template.x, m_template.y, m_template.cx, m_template.cy);
  if (m_pParentWnd != nullptr) m_pParentWnd->ClientToScreen(&rect);
  if (!CreateFromWidget(window, m_template.style & ~WS_VISIBLE, rect, m_pParentWnd, 0)) return FALSE;

  // An application window (WS_EX_APPWINDOW) is a program's main window: a
  // normal top-level window, which window managers list on the task bar
  // and give the minimise button. Other dialogs stay dialog windows, kept
  // above the program's windows.
  const Qt::WindowType windowType = (m_template.exStyle & WS_EX_APPWINDOW) != 0 ? Qt::Window : Qt::Dialog;
  Qt::WindowFlags flags = windowType | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if ((m_template.style & WS_MINIMIZEBOX) != 0) flags |= Qt::WindowMinimizeButtonHint;
  if ((m_template.style & WS_MAXIMIZEBOX) != 0) flags |= Qt::WindowMaximizeButtonHint;
  window->setWindowFlags(flags);
  // A sizing border lets the user enlarge the dialog, never shrink it below
  // its template, where every control has room.
  if ((m_template.style & WS_THICKFRAME) == 0) {
    window->setFixedSize(rect.Width(), rect.Height());
  } else {
    window->setMinimumSize(rect.Width(), rect.Height());
  }
  window->move(rect.left, rect.top);
  SetWindowText(m_template.caption);

  for (const DialogItemTemplate& item : m_template.items) {
    m_templateControls.push_back(CreateItem(item, this));
  }
  DoDataExchange();
  if (GetSafeHwnd() == 0) return FALSE;
  OnInitDialog();
  return GetSafeHwnd() != 0 ? TRUE : FALSE;
}

INT_PTR CDialog::DoModal() {
  if (!CreateDialogWindow()) return -1;
  QEventLoop loop;
  if (!m_endRequested) {
    // As on Win32, a modal dialog disables its owner (and the owner's
    // owners) and no other window: a dialog without an owner, such as a
    // program's main dialog, blocks nothing, so the windows a program opens
    // beside it (a chart, a tool window) take input while it runs.
    GetWidget()->setWindowModality(m_pParentWnd != nullptr ? Qt::WindowModal : Qt::NonModal);
    if ((m_template.style & WS_VISIBLE) != 0) GetWidget()->show();
    m_modalLoop = &loop;
    loop.exec(QEventLoop::DialogExec);
    m_modalLoop = nullptr;
  }
  DestroyWindow();
  return m_modalResult;
}

BOOL CDialog::Create() {
  if (!CreateDialogWindow()) return FALSE;
  if ((m_template.style & WS_VISIBLE) != 0 && !m_endRequested) GetWidget()->show();
  return TRUE;
}

void CDialog::EndDialog(int nResult) {
  m_modalResult = nResult;
  m_endRequested = true;
  if (m_modalLoop != nullptr) {
    m_modalLoop->exit();
  } else if (GetWidget() != nullptr) {
    GetWidget()->hide();
  }
}

void CDialog::SetIcon(const QIcon& icon, BOOL) {
  if (GetWidget() != nullptr) GetWidget()->setWindowIcon(icon);
}

void CDialog::DoDataExchange() {}

BOOL CDialog::OnInitDialog() { return TRUE; }

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::OnCommand(int controlId, UINT code) {
  if (CWnd::OnCommand(controlId, code)) return TRUE;
  if (code != BN_CLICKED) return FALSE;
  if (controlId == IDOK) {
    OnOK();
    return TRUE;
  }
  if (controlId == IDCANCEL) {
    OnCancel();
    return TRUE;
  }
  return FALSE;
}

BOOL CDialog::BindControl(int nID, CWnd& control) {
  CWnd* current = GetDlgItem(nID);
  if (current == nullptr) return FALSE;
  return control.Attach(current->GetSafeHwnd());
}
