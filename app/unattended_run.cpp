// The unattended run: Start and Stop are clicked on the dialog, so the run
// takes the same path as one a technician starts in the window.
#include "app/unattended_run.h"

#include <csignal>

#include "app/logger_dialog.h"
#include "app/resource_ids.h"
#include "decode/view_dump.h"
#include "ui/button.h"
#include "ui/combo_box.h"
#include "ui/wnd.h"

UnattendedRun::UnattendedRun(CTESSAMPLENXLOGGERDlg& dlg, UnattendedRunTimes times, std::FILE* views,
                             std::FILE* notes, std::string program)
    : m_dlg(dlg), m_times(times), m_views(views), m_notes(notes), m_program(std::move(program)) {
  // A reader of the views that goes away (an SSH session, `| head`) must
  // not end the run before its log is archived: writes then fail quietly.
  std::signal(SIGPIPE, SIG_IGN);
  m_runTimer.setSingleShot(true);
  QObject::connect(&m_runTimer, &QTimer::timeout, [this] { End(); });
  QObject::connect(&m_dumpTimer, &QTimer::timeout, [this] { PrintViews(m_dlg.DumpViews()); });
  m_dlg.SetRunEndedHandler([this] {
    // A replay ends by itself after its last record, with the banner
    // hidden by that record.
    if (!m_ending && m_replayPath) {
      m_ending = true;
      m_runTimer.stop();
      m_dumpTimer.stop();
      m_bannerBeforeStop = false;
    }
    // Stop may still be on the stack (a synchronous Stop calls this as its
    // last step); the views are printed and the window closed after it.
    if (m_ending) QTimer::singleShot(0, &m_runTimer, [this] { Finish(); });
  });
}

UnattendedRun::~UnattendedRun() { m_dlg.SetRunEndedHandler(nullptr); }

void UnattendedRun::Begin() {
  if (m_ending) return;
  if (m_replayPath) {
    m_dlg.StartReplay(*m_replayPath, m_replaySpeed);
  } else if (auto* start = dynamic_cast<CButton*>(m_dlg.GetDlgItem(kStartButtonId))) {
    start->Click();
  }
  if (!m_dlg.IsRunActive()) {
    End();
    return;
  }
  m_ran = true;
  NoteRunStarted();
  if (m_times.runMs) m_runTimer.start(*m_times.runMs);
  if (m_times.dumpEveryMs) m_dumpTimer.start(*m_times.dumpEveryMs);
}

int UnattendedRun::ExitStatus() const {
  return m_ran && !(m_replayPath && m_dlg.ReplayFailed()) ? kExitRunEnded : kExitNoRun;
}

void UnattendedRun::End() {
  if (m_ending) return;
  m_ending = true;
  m_runTimer.stop();
  m_dumpTimer.stop();
  if (!m_dlg.IsRunActive()) {
    CloseWindow();
    return;
  }
  m_bannerBeforeStop = m_dlg.DumpViews().bannerShown;
  if (auto* stop = dynamic_cast<CButton*>(m_dlg.GetDlgItem(kStopButtonId))) stop->Click();
}

void UnattendedRun::Finish() {
  // Records the link posted before it closed update the lists first, as
  // they would in the window.
  PumpPostedMessages();
  ViewDump dump = m_dlg.DumpViews();
  dump.bannerShown = m_bannerBeforeStop;
  PrintViews(dump);
  CloseWindow();
}

void UnattendedRun::PrintViews(const ViewDump& dump) {
  std::string text;
  // An empty line between blocks.
  if (m_printedViews) text += '\n';
  AppendViewDump(dump, text);
  std::fwrite(text.data(), 1, text.size(), m_views);
  std::fflush(m_views);
  m_printedViews = true;
}

void UnattendedRun::NoteRunStarted() {
  if (m_replayPath) {
    // The name is file-system bytes, printed as it is.
    std::fprintf(m_notes, "%s: replaying %s\n", m_program.c_str(), m_replayPath->c_str());
    std::fflush(m_notes);
    return;
  }
  std::string port;
  if (auto* ports = dynamic_cast<CComboBox*>(m_dlg.GetDlgItem(kPortComboId)))
    ports->GetLBText(ports->GetCurSel(), port);
  const CWnd* logName = m_dlg.GetDlgItem(kLogNameEditId);
  const std::string log = logName != nullptr ? logName->GetWindowText() : std::string();
  // The names are file-system bytes, printed as they are.
  std::fprintf(m_notes, "%s: run started on %s, %s%s\n", m_program.c_str(), port.c_str(),
               log.empty() ? "keeping no log" : "logging to ", log.c_str());
  std::fflush(m_notes);
}

void UnattendedRun::CloseWindow() { m_dlg.OnSysCommand(SC_CLOSE, 0); }
