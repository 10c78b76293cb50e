// Run control of the main dialog: the port list, the log file choice, and
// Start and Stop of the run core, with the archive's progress.
#include <cctype>
#include <string>

#include "app/logger_dialog.h"
#include "app/resource_ids.h"
#include "app/window_faces.h"
#include "config/persisted_settings.h"
#include "panels/archive_progress_dialog.h"
#include "panels/replay_panel.h"
#include "run/port_list.h"
#include "run/run_messages.h"
#include "ui/save_file_dialog.h"
#include "ui/text_codec.h"

namespace {

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
  // "site" is saved as the filter shown says: site.log.
  request.defaultExtension = "log";
  std::string chosen;
  if (!GetSaveFileName(request, &chosen)) return;
  m_config.logFileName = chosen;
  m_logNameEdit.SetWindowText(chosen);
}

void CTESSAMPLENXLOGGERDlg::RefuseChosenLogFile(const std::string& reason) {
  m_config.logFileName.clear();
  m_logNameEdit.SetWindowText("");
  std::string sentence = reason;
  if (!sentence.empty())
    sentence[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(sentence[0])));
  MessageBox(sentence + ".", "", MB_OK | MB_ICONERROR);
}

void CTESSAMPLENXLOGGERDlg::ShowRunLayout(bool running) {
  const int command = running ? SW_HIDE : SW_SHOW;
  m_viewFrame.ShowWindow(command);
  m_portCombo.ShowWindow(command);
  for (int id : {kSaveAsButtonId, kPortLabelId}) {
    if (CWnd* control = GetDlgItem(id)) control->ShowWindow(command);
  }
}

void CTESSAMPLENXLOGGERDlg::EnableRunControls(bool enable) {
  for (int id : {kStartButtonId, kStopButtonId, kSaveAsButtonId}) {
    if (CWnd* control = GetDlgItem(id)) control->EnableWindow(enable ? TRUE : FALSE);
  }
  m_portCombo.EnableWindow(enable ? TRUE : FALSE);
}

void CTESSAMPLENXLOGGERDlg::OnBnClickedStart() {
  // Its button is disabled during Stop; a stray call waits for Stop's end.
  if (m_stopping || m_replaying) return;
  if (m_started) {
    MessageBox(kAlreadyStartedText, "", MB_OK);
    return;
  }
  RunRequest request;
  request.portName = m_config.portName;
  request.logPath = m_config.logFileName;
  request.rawCapturePath = RawCapturePathFor(m_config, m_config.logFileName, m_rawCaptureFile);
  request.upkeep = m_siteUpkeep;
  request.rememberChoices = true;
  if (m_windowFaces) m_windowFaces->PrepareRun();
  const RunStartResult started = m_run->Start(request, *this);
  if (!started.Started()) {
    // The port's failure is information, as the first version had it; the
    // files' are errors.
    const UINT icon = started.refusal == RunRefusal::kPortNotOpened ? 0 : MB_ICONERROR;
    if (!started.message.empty()) MessageBox(started.message, "", MB_OK | icon);
    return;
  }
  ShowRunLayout(true);
  m_stateLine.BeginRun(!request.logPath.empty());
  // No record yet: the banner shows until the first one.
  m_lineQuiet = true;
  m_banner.ShowWindow(SW_SHOW);
  // The last replay's window goes with its values.
  m_replayPanel.reset();
  BuildOutdoorList();
  BuildUnitLists();
  BeginRunTrends();
  m_started = true;
}

void CTESSAMPLENXLOGGERDlg::OnBnClickedStop() {
  if (m_replaying) {
    // A replay ends at once: the records it handed out are shown, then its end.
    m_replayStopped = true;
    m_run->Stop();
    m_run->WaitEnded();
    OnLinkRecord(0, 0);
    OnRunEnded();
    return;
  }
  if (!m_started || m_stopping) return;
  m_stopping = true;
  EnableRunControls(false);
  m_banner.ShowWindow(SW_HIDE);
  ShowRunLayout(false);
  // The records the link completed before it closed still arrive and are
  // shown; WM_RUN_ENDED comes after them.
  m_run->Stop();
}

void CTESSAMPLENXLOGGERDlg::OnStopProgress(const std::string& archivePath, uint64_t bytesRead,
                                           uint64_t logBytes) {
  if (!m_stopping) return;
  if (!m_archiveProgress) {
    m_archiveProgress =
        std::make_unique<ArchiveProgressDialog>(GetWidget(), TextToQt(archivePath), m_archiveProgressDelayMs);
  }
  m_archiveProgress->SetProgress(bytesRead, logBytes);
}

void CTESSAMPLENXLOGGERDlg::OnRunEnded() {
  const std::optional<RunEnd> end = m_face.TakeRunEnd();
  if (!end) return;
  if (m_replaying) {
    EndReplay(*end);
    return;
  }
  CompleteStop(*end);
  if (m_closeWhenStopped) EndDialog(IDCANCEL);
}

void CTESSAMPLENXLOGGERDlg::CompleteStop(const RunEnd& end) {
  m_archiveProgress.reset();
  m_started = false;
  m_stopping = false;
  m_stateLine.EndRun(end);
  // A close requested meanwhile keeps the run's controls disabled: no new
  // run starts while the failure boxes below are open.
  if (!m_closeWhenStopped) EnableRunControls(true);
  for (const std::string& message : end.failureMessages) MessageBox(message, "", MB_OK | MB_ICONERROR);
}
