// Run control of the main dialog: the port list, the log file choice, Start
// and Stop with the archive of the log, and the communication watchdog.
#include <cstdio>
#include <string>

#include "app/logger_dialog.h"
#include "app/resource_ids.h"
#include "archive/log_archive_name.h"
#include "archive/zip_writer.h"
#include "config/persisted_settings.h"
#include "platform/append_file.h"
#include "platform/full_path.h"
#include "platform/local_time.h"
#include "ui/save_file_dialog.h"

namespace {

// The port list holds COM1 to COM24, in this order.
constexpr int kPortCount = 24;
constexpr std::string_view kAlreadyStartedText = "Already started";
constexpr std::string_view kPortOpenFailedText = "Error opening COM port";
// Index (from 1) of "Log files" among the save dialog's filters.
constexpr int kLogFilesFilterIndex = 2;
// Appended to the log file's name to name its raw capture.
constexpr std::string_view kRawCaptureSuffix = ".raw";

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

void CTESSAMPLENXLOGGERDlg::OnBnClickedStart() {
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
  // Load bounds the layout to at most 11000 values.
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
    MessageBox(kPortOpenFailedText, "", MB_OK);
    return;
  }
  WritePortSetting(m_config.portName);
  WriteLogFileSetting(m_config.logFileName);
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
    // The records the reader posted before it ended are logged before the
    // log closes, so the log holds every record whose bytes the raw
    // capture holds.
    PumpPostedMessages();
    m_logFile.CloseLog();
    // The reader has written its last bytes.
    m_rawCapture.Close();
    m_linkOpen = false;
  }
  KillTimer(kWatchdogTimerId);
  m_banner.ShowWindow(SW_HIDE);
  ShowRunLayout(false);
  if (!m_config.logFileName.empty()) ArchiveLog();
  m_started = false;
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
