// Run control of the main dialog: the port list, the log file choice, Start
// and Stop with the archive of the log, and the communication watchdog.
#include <string>

#include "app/logger_dialog.h"
#include "app/port_list.h"
#include "app/resource_ids.h"
#include "archive/log_archive_name.h"
#include "archive/zip_writer.h"
#include "config/persisted_settings.h"
#include "platform/local_time.h"
#include "ui/save_file_dialog.h"

namespace {

constexpr std::string_view kAlreadyStartedText = "Already started";
constexpr std::string_view kPortOpenFailedText = "Error opening COM port";
// Index (from 1) of "Log files" among the save dialog's filters.
constexpr int kLogFilesFilterIndex = 2;

}  // namespace

void CTESSAMPLENXLOGGERDlg::FillPortList() {
  const std::string remembered = ReadPortSetting();
  int selection = 0;
  for (int n = 1; n <= kPortCount; ++n) {
    const std::string name = PortItemText(n);
    m_portCombo.AddString(name);
    if (remembered == name) selection = n - 1;
  }
  m_portCombo.SetCurSel(selection);
  m_portCombo.GetLBText(selection, m_config.portName);
}

void CTESSAMPLENXLOGGERDlg::OnCbnSelchangePort() {
  m_portCombo.GetLBText(m_portCombo.GetCurSel(), m_config.portName);
}

void CTESSAMPLENXLOGGERDlg::OnBnClickedSaveAs() {
  SaveFileRequest request;
  request.owner = GetSafeHwnd();
  request.filters = {{"All", "*.*"}, {"Log files", "*.log"}};
  request.filterIndex = kLogFilesFilterIndex;
  request.fileBufferBytes = MAX_PATH;
  request.flags = OFN_PATHMUSTEXIST;
  std::string chosen;
  if (!GetSaveFileName(request, &chosen)) return;
  m_config.logFileName = chosen;
  m_logNameEdit.SetWindowText(chosen);
}

void CTESSAMPLENXLOGGERDlg::ShowRunLayout(bool running) {
  const int command = running ? SW_HIDE : SW_SHOW;
  m_viewFrame.ShowWindow(command);
  m_portCombo.ShowWindow(command);
  for (int id : {kSaveAsButtonId, kPortLabelId}) {
    if (CWnd* control = GetDlgItem(id)) control->ShowWindow(command);
  }
}

void CTESSAMPLENXLOGGERDlg::OnBnClickedStart() {
  if (m_started) {
    MessageBox(kAlreadyStartedText, "", MB_OK);
    return;
  }
  m_recordCount = 0;
  if (m_logFile.OpenLog(*this, m_config.logFileName) == -1) return;
  // Load bounds the layout to what a frame can carry, which fits an int.
  m_link.SetValueCount(static_cast<int>(m_config.ValuesPerRecord()));
  m_link.SetPortName(m_config.portName);
  if (m_link.Open() != 0) {
    // Not left open: the next Start opens the same log again.
    m_logFile.CloseLog();
    MessageBox(kPortOpenFailedText, "", MB_OK);
    return;
  }
  WritePortSetting(m_config.portName);
  WriteLogFileSetting(m_config.logFileName);
  m_link.SetTarget(this, WM_LINK_RECORD);
  m_linkOpen = true;
  ShowRunLayout(true);
  m_banner.ShowWindow(SW_SHOW);
  BuildOutdoorList();
  BuildUnitLists();
  m_started = true;
}

void CTESSAMPLENXLOGGERDlg::OnBnClickedStop() {
  if (!m_started) return;
  if (m_linkOpen) {
    m_link.Close();
    m_logFile.CloseLog();
    m_linkOpen = false;
  }
  KillTimer(kWatchdogTimerId);
  m_banner.ShowWindow(SW_HIDE);
  ShowRunLayout(false);
  if (!m_config.logFileName.empty()) ArchiveLog();
  m_started = false;
  if (m_onRunEnded) m_onRunEnded();
}

void CTESSAMPLENXLOGGERDlg::ArchiveLog() {
  // Results are not examined: a missing archive is not reported, and a
  // path too long for the archive's name skips it.
  const std::optional<LogArchiveName> name = LogArchiveNameFor(m_config.logFileName, ReadLocalTime());
  if (!name) return;
  const ArchiveHandle archive = ArchiveCreate(name->archivePath.c_str());
  ArchiveAddFile(archive, name->entryName.c_str(), m_config.logFileName.c_str());
  ArchiveClose(archive);
}

void CTESSAMPLENXLOGGERDlg::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent == kWatchdogTimerId && m_started) m_banner.ShowWindow(SW_SHOW);
  CDialog::OnTimer(nIDEvent);
}
