// CAboutDlg: the About box, template 100.
#pragma once

#include "ui/dialog.h"

class CAboutDlg : public CDialog {
 public:
  CAboutDlg();
  ~CAboutDlg() override;

 protected:
  // Puts icon 128 into the template's icon control; templates here cannot
  // name an icon resource themselves.
  BOOL OnInitDialog() override;
};
