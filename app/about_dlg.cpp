// The About box.
#include "app/about_dlg.h"

#include "app/app_icon.h"
#include "app/dialog_templates.h"
#include "app/resource_ids.h"
#include "ui/static_text.h"

CAboutDlg::CAboutDlg(CWnd* pParentWnd) : CDialog(AboutDialogTemplate(), pParentWnd) {}

CAboutDlg::~CAboutDlg() { DestroyWindow(); }

BOOL CAboutDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  const QIcon icon = LoadAppIcon();
  SetIcon(icon, TRUE);
  // The icon control is the first unaddressed control of the template.
  if (auto* iconControl = dynamic_cast<CStatic*>(GetDlgItem(kUnaddressedControlId)))
    iconControl->SetIcon(icon);
  CenterWindow();
  return TRUE;
}
