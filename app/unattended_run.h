// A logging run that nobody watches: Start clicked at once, the views
// printed during the run and after it, and the run ended by a timer or a
// termination signal with a click of Stop.
#pragma once

#include <QTimer>
#include <cstdio>
#include <optional>
#include <string>

class CTESSAMPLENXLOGGERDlg;
struct ViewDump;

struct UnattendedRunTimes {
  std::optional<int> runMs;        // the run ends after this long; none: at a signal
  std::optional<int> dumpEveryMs;  // the views are printed this often during the run
};

// Exit status after the run: 0 after a run, 1 when Start did not start one.
inline constexpr int kExitRunEnded = 0;
inline constexpr int kExitNoRun = 1;

// Drives the shown main dialog; user-interface thread only. Writes the views
// (ViewDump text, UTF-8) to `views` and a note on the run to `notes`, each
// line of which starts with `program` and a colon.
class UnattendedRun {
 public:
  UnattendedRun(CTESSAMPLENXLOGGERDlg& dlg, UnattendedRunTimes times, std::FILE* views, std::FILE* notes,
                std::string program);
  // Takes the dialog's run-ended handler back.
  ~UnattendedRun();
  UnattendedRun(const UnattendedRun&) = delete;
  UnattendedRun& operator=(const UnattendedRun&) = delete;

  // Begin replays the log at path at speed instead of clicking Start; the
  // run then ends when the log's last record was shown (or as End says).
  void SetReplay(std::string path, double speed) {
    m_replayPath = std::move(path);
    m_replaySpeed = speed;
  }

  // Clicks Start (or starts the replay), as the dialog is set up now. When no run starts (a port,
  // log or append refused; the dialog's messages say why), closes the
  // window. Does nothing after End.
  void Begin();
  // Ends the run: clicks Stop and, once the dialog reports the run ended
  // (link and log closed, archive written, at once or later), prints the
  // views with the banner's state from just before Stop and closes the
  // window. Without an active run it only closes the window. Later calls do
  // nothing.
  void End();

  // kExitRunEnded when a run started (a replay: and read its log to the
  // end, or until End), else kExitNoRun.
  int ExitStatus() const;

 private:
  void PrintViews(const ViewDump& dump);
  void NoteRunStarted();
  void Finish();
  void CloseWindow();

  CTESSAMPLENXLOGGERDlg& m_dlg;
  UnattendedRunTimes m_times;
  std::FILE* m_views;
  std::FILE* m_notes;
  std::string m_program;
  QTimer m_runTimer;
  QTimer m_dumpTimer;
  bool m_ran = false;
  bool m_ending = false;
  bool m_bannerBeforeStop = false;
  bool m_printedViews = false;
  std::optional<std::string> m_replayPath;
  double m_replaySpeed = 1.0;
};
