// CAboutDlg: the About box, template 100.
#pragma once

#include "ui/dialog.h"

class CAboutDlg : public CDialog {
 public:
  // Opens centred on `pParentWnd`, its owner (may be null).
  explicit CAboutDlg(CWnd* pParentWnd = nullptr);
  ~CAboutDlg() override;

 protected:
  // Puts icon 128 into the template's icon control; templates here cannot
  // name an icon resource themselves.
  BOOL OnInitDialog() override;
};
