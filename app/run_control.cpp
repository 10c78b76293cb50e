// Run control of the main dialog: the port list, the log file choice, Start
// and Stop with the archive of the log, and the communication watchdog.
#include <cerrno>
#include <cstdio>
#include <string>

#include "app/logger_dialog.h"
#include "app/port_list.h"
#include "app/resource_ids.h"
#include "archive/log_archive_name.h"
#include "config/persisted_settings.h"
#include "panels/archive_progress_dialog.h"
#include "panels/replay_panel.h"
#include "panels/trend_window.h"
#include "platform/append_file.h"
#include "platform/full_path.h"
#include "platform/local_time.h"
#include "platform/serial_port_name.h"
#include "platform/system_error_text.h"
#include "ui/save_file_dialog.h"
#include "ui/text_codec.h"

namespace {

constexpr std::string_view kAlreadyStartedText = "Already started";
constexpr std::string_view kPortOpenFailedText = "Error opening COM port";
// Index (from 1) of "Log files" among the save dialog's filters.
constexpr int kLogFilesFilterIndex = 2;
// Appended to the log file's name to name its raw capture.
constexpr std::string_view kRawCaptureSuffix = ".raw";

// "Error opening COM port", then a line that names the device and says why
// and, where there is one obvious thing to do, what to do. portName is the
// link's stored name (a "\\.\COMn" name or a device path).
std::string PortOpenFailureText(const std::string& portName, int openError) {
  std::string text(kPortOpenFailedText);
  if (openError == 0) return text;
  text += "\n" + ResolveSerialDevicePath(portName) + ": ";
  switch (openError) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case EIO:  // a built-in port without its hardware
      text += "no such device. Plug in the adapter";
      if (ComPortNumber(portName) > 0 && !SerialPortLinkDirectory().empty()) {
        text += ", or check the port's link in " + SerialPortLinkDirectory() + "/";
      }
      text += ".";
      break;
    case EBUSY:
      text += "in use by another program.";
      break;
    case EACCES:
    case EPERM:
      text +=
          "permission denied. Add the user to the dialout group (sudo usermod -aG dialout $USER), "
          "then log in again.";
      break;
    case ENOTTY:
      text += "not a serial port.";
      break;
    default:
      text += SystemErrorText(openError) + ".";
      break;
  }
  return text;
}

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

std::string CTESSAMPLENXLOGGERDlg::RawCapturePath() const {
  if (m_rawCaptureFile) return *m_rawCaptureFile;
  if (!m_config.rawCapture || m_config.logFileName.empty()) return {};
  return m_config.logFileName + std::string(kRawCaptureSuffix);
}

bool CTESSAMPLENXLOGGERDlg::OpenRawCapture(const std::string& path) {
  if (path.empty()) return true;
  const int error = m_rawCapture.Open(path);
  if (error == 0) return true;
  MessageBox("Cannot open raw capture file " + FullPath(path) + ": " + AppendOpenFailureReason(error) + ".",
             "", MB_OK | MB_ICONERROR);
  return false;
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
  m_recordCount = 0;
  // One append question at most: the log's when the log exists (Yes appends
  // to its raw capture too), else the raw capture's own. Both are asked
  // before either file is created.
  const std::string rawPath = RawCapturePath();
  const bool logExists = !m_config.logFileName.empty() && LogFile::FileExists(m_config.logFileName);
  if (!rawPath.empty() && !logExists && LogFile::FileExists(rawPath) && !AskToAppend(*this, rawPath)) return;
  if (m_logFile.OpenLog(*this, m_config.logFileName) == -1) return;
  if (!OpenRawCapture(rawPath)) {
    m_logFile.DiscardLog();
    return;
  }
  // Load bounds the layout to what a frame can carry, which fits an int.
  m_link.SetValueCount(static_cast<int>(m_config.ValuesPerRecord()));
  m_link.SetPortName(m_config.portName);
  m_link.SetRawCapture(m_rawCapture.IsOpen() ? &m_rawCapture : nullptr);
  // Before Open, so that every frame the reader completes reaches the
  // window and the log, as every byte it reads reaches the raw capture.
  m_link.SetTarget(this, WM_LINK_RECORD);
  if (m_link.Open() != 0) {
    // Not left open, nor left behind empty: the next Start opens the same
    // files again, without asking to append to files it made itself.
    m_rawCapture.Discard();
    m_logFile.DiscardLog();
    MessageBox(PortOpenFailureText(m_link.PortName(), m_link.LastOpenError()), "", MB_OK);
    return;
  }
  WritePortSetting(m_config.portName);
  WriteLogFileSetting(m_config.logFileName);
  m_linkOpen = true;
  ShowRunLayout(true);
  m_banner.ShowWindow(SW_SHOW);
  // The last replay's window goes with its values.
  m_replayPanel.reset();
  BuildOutdoorList();
  BuildUnitLists();
  if (m_trends != nullptr) m_trends->BeginRun();
  m_started = true;
}

void CTESSAMPLENXLOGGERDlg::OnBnClickedStop() {
  if (m_replaying) {
    EndReplay(ReplayEnd::kStopped);
    return;
  }
  if (!m_started || m_stopping) return;
  m_stopping = true;
  EnableRunControls(false);
  KillTimer(kWatchdogTimerId);
  m_banner.ShowWindow(SW_HIDE);
  ShowRunLayout(false);
  if (!m_linkOpen) {
    StartStopArchive();
    return;
  }
  // The link closes first. The records its reader posted before it ended
  // arrive before the worker's WM_STOP_DONE and are still logged, so the log
  // holds every record whose bytes the raw capture holds; then the files are
  // handed over (StartStopArchive).
  StopRequest request;
  request.link = &m_link;
  request.window = GetSafeHwnd();
  m_stopPhase = StopPhase::kClosingLink;
  m_stopTask.Start(std::move(request));
}

void CTESSAMPLENXLOGGERDlg::StartStopArchive() {
  m_linkOpen = false;
  StopRequest request;
  // Records handled from now on find the log closed, as after Stop.
  request.logWriteFailureText = m_logFile.WriteFailureText();
  request.logFile = m_logFile.ReleaseFile();
  if (m_rawCapture.IsOpen()) {
    request.rawCapture = &m_rawCapture;
    request.rawCaptureFailureText = "Disk full while accessing " + m_rawCapture.FullPath() + ".";
  }
  if (!m_config.logFileName.empty()) {
    // Named from the date of Stop, not of the end of the compression.
    request.logPath = m_config.logFileName;
    request.archiveName = LogArchiveNameFor(m_config.logFileName, ReadLocalTime());
    m_stopArchivePath = request.archiveName ? request.archiveName->archivePath : m_config.logFileName;
  }
  request.window = GetSafeHwnd();
  m_stopPhase = StopPhase::kArchiving;
  m_stopTask.Start(std::move(request));
}

void CTESSAMPLENXLOGGERDlg::OnStopProgress(uint64_t bytesRead, uint64_t logBytes) {
  if (!m_stopping) return;
  if (!m_archiveProgress) {
    m_archiveProgress = std::make_unique<ArchiveProgressDialog>(GetWidget(), TextToQt(m_stopArchivePath),
                                                                m_archiveProgressDelayMs);
  }
  m_archiveProgress->SetProgress(bytesRead, logBytes);
}

void CTESSAMPLENXLOGGERDlg::OnStopDone() {
  if (!m_stopTask.IsRunning()) return;
  if (m_stopPhase == StopPhase::kClosingLink) {
    m_stopTask.Finish();
    StartStopArchive();
    return;
  }
  CompleteStop();
  if (m_closeWhenStopped) EndDialog(IDCANCEL);
}

void CTESSAMPLENXLOGGERDlg::CompleteStop() {
  if (m_stopPhase == StopPhase::kClosingLink) {
    m_stopTask.Finish();
    StartStopArchive();
  }
  const StopOutcome outcome = m_stopTask.Finish();
  m_archiveProgress.reset();
  m_linkOpen = false;
  m_started = false;
  m_stopping = false;
  // A close requested meanwhile keeps the run's controls disabled: no new
  // run starts while the failure boxes below are open.
  if (!m_closeWhenStopped) EnableRunControls(true);
  for (const std::string& message : outcome.failureMessages) MessageBox(message, "", MB_OK | MB_ICONERROR);
  // The run has ended for whoever waits on it: link and log closed, the
  // archive written or its failure reported.
  if (m_onRunEnded) m_onRunEnded();
}

void CTESSAMPLENXLOGGERDlg::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent == kWatchdogTimerId && m_started) m_banner.ShowWindow(SW_SHOW);
  CDialog::OnTimer(nIDEvent);
}
