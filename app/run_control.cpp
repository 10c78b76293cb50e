// Run control of the main dialog: the port list, the log file choice, Start
// and Stop, and the communication watchdog.
#include <cstdio>
#include <string>

#include "app/logger_dialog.h"
#include "app/resource_ids.h"
#include "config/persisted_settings.h"

namespace {
// The port list holds COM1 to COM24, in this order.
constexpr int kPortCount = 24;
}  // namespace

void CTESSAMPLENXLOGGERDlg::FillPortList() {
  const std::string remembered = ReadPortSetting();
  int selection = 0;
  for (int n = 1; n <= kPortCount; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "COM%d", n);
    m_portCombo.AddString(name);
    if (remembered == name) selection = n - 1;
  }
  m_portCombo.SetCurSel(selection);
  m_portCombo.GetLBText(selection, m_config.portName);
}

void CTESSAMPLENXLOGGERDlg::OnCbnSelchangePort() {
  m_portCombo.GetLBText(m_portCombo.GetCurSel(), m_config.portName);
}

void CTESSAMPLENXLOGGERDlg::OnBnClickedSaveAs() {}

void CTESSAMPLENXLOGGERDlg::OnBnClickedStart() {}

void CTESSAMPLENXLOGGERDlg::OnBnClickedStop() {}

void CTESSAMPLENXLOGGERDlg::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent == kWatchdogTimerId && m_started) m_banner.ShowWindow(SW_SHOW);
  CDialog::OnTimer(nIDEvent);
}
