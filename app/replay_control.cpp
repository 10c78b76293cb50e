// Replay of a log in the main dialog: the log's records are handed to the
// record handler of a live run at their recorded pace, the banner follows
// the recorded gaps, and the replay's control window sets speed and pause.
//
// A record whose value count does not fit the configured layout is never
// shown: the first one raises "Encountered an improper argument." once for
// the whole replay, and every such line is counted with the other skipped
// lines in the one report at the end of the replay.
#include <QFile>
#include <QFileDialog>
#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>

#include "app/logger_dialog.h"
#include "app/resource_ids.h"
#include "panels/replay_panel.h"
#include "platform/full_path.h"
#include "platform/system_error_text.h"
#include "ui/dialog_responder.h"
#include "ui/text_codec.h"

namespace {

// As fast as possible, a step hands out records for this long, then lets
// the window paint and handle input before the next step.
constexpr int64_t kReplayStepBudgetMs = 40;
constexpr int64_t kLongestReplayWaitMs = 60 * 60 * 1000;

std::string LayoutText(const LoggerConfig& config) {
  return std::to_string(config.statusParams) + "," + std::to_string(config.numDevices) + "," +
         std::to_string(config.acParams);
}

}  // namespace

std::optional<std::string> CTESSAMPLENXLOGGERDlg::ChooseLogToReplay() {
  const QString chosen = QFileDialog::getOpenFileName(GetWidget(), QStringLiteral("Replay a log"), QString(),
                                                      QStringLiteral("Log files (*.log);;All files (*)"));
  if (chosen.isEmpty()) return std::nullopt;
  return QFile::encodeName(chosen).toStdString();
}

void CTESSAMPLENXLOGGERDlg::OnReplayLog() {
  if (IsRunActive() || m_stopping) return;
  if (const std::optional<std::string> path = ChooseLogToReplay()) StartReplay(*path, kReplaySpeeds[0]);
}

bool CTESSAMPLENXLOGGERDlg::StartReplay(const std::string& path, double speed) {
  if (IsRunActive() || m_stopping) return false;
  auto replay =
      std::make_unique<LogReplay>(m_replayClock, speed, m_config.ValuesPerRecord(), LayoutText(m_config));
  if (!replay->Open(path)) {
    m_replayFailed = true;
    MessageBox("Cannot open log file " + FullPath(path) + ": " + SystemErrorText(errno) + ".", "",
               MB_OK | MB_ICONERROR);
    return false;
  }
  m_replay = std::move(replay);
  m_replayPath = path;
  m_replaying = true;
  m_replayFailed = false;
  m_replayLayoutReported = false;
  ShowRunLayout(true);
  EnableRunControls(false);
  if (CWnd* stop = GetDlgItem(kStopButtonId)) stop->EnableWindow(TRUE);
  m_banner.ShowWindow(SW_HIDE);
  BuildOutdoorList();
  BuildUnitLists();

  ReplayPanel::Handlers handlers;
  handlers.speedChosen = [this](double chosen) {
    if (!m_replaying) return;
    m_replay->Pacer().SetSpeed(chosen);
    m_replayTimer.start(0);
  };
  handlers.pauseToggled = [this](bool paused) {
    if (!m_replaying) return;
    if (paused) {
      m_replay->Pacer().Pause();
    } else {
      m_replay->Pacer().Resume();
    }
    m_replayTimer.start(0);
  };
  // Closing the control window ends the replay, as Stop does.
  handlers.closed = [this] { OnBnClickedStop(); };
  m_replayPanel = std::make_unique<ReplayPanel>(GetWidget(), TextToQt(path), speed, std::move(handlers));
  // Shown unless a responder answers the boxes: then nobody watches.
  if (GetDialogResponder() == nullptr) m_replayPanel->show();
  m_replayTimer.start(0);
  return true;
}

void CTESSAMPLENXLOGGERDlg::OnReplayTimer() {
  if (!m_replaying || m_replayTicking) return;
  m_replayTicking = true;
  const LogReplay* replay = m_replay.get();
  const int64_t stepStartMs = m_replayClock.NowMs();
  std::optional<ReplayEnd> end;
  LoggedRecord record;
  while (!end) {
    if (m_replayClock.NowMs() - stepStartMs >= kReplayStepBudgetMs) {
      m_replayTimer.start(0);
      break;
    }
    const LogReplay::Step step = m_replay->Next(record);
    if (step == LogReplay::Step::kRecord) {
      // The handler owns the text and frees it, as with a posted record.
      OnLinkRecord(reinterpret_cast<WPARAM>(new std::string(std::move(record.text))), 0);
    } else if (step == LogReplay::Step::kWait) {
      m_banner.ShowWindow(m_replay->IsLineQuiet() ? SW_SHOW : SW_HIDE);
      // A long gap is waited for in parts: a timer takes at most an int of
      // milliseconds, and the next step computes the rest.
      if (m_replay->WaitMs() >= 0)
        m_replayTimer.start(static_cast<int>(std::min(m_replay->WaitMs(), kLongestReplayWaitMs)));
      break;
    } else {
      end = step == LogReplay::Step::kEnd ? ReplayEnd::kFinished : ReplayEnd::kReadFailed;
    }
  }
  if (m_replayPanel && m_replay->Pacer().Position()) {
    m_replayPanel->SetPosition(TextToQt(ReplayPositionText(*m_replay->Pacer().Position())),
                               m_replay->RecordsShown(), false);
  }
  m_replayTicking = false;
  // Boxes last: the replay goes on in their loops.
  if (m_replay->Reader().LayoutMismatchCount() > 0 && !m_replayLayoutReported) {
    m_replayLayoutReported = true;
    ShowRepeatingError(RepeatingError::kImproperArgument, std::string(kImproperArgumentText));
  }
  // The box's loop may have seen this replay stopped, even another begun.
  if (end && m_replaying && m_replay.get() == replay) EndReplay(*end);
}

void CTESSAMPLENXLOGGERDlg::EndReplay(ReplayEnd how) {
  if (!m_replaying) return;
  m_replaying = false;
  m_replayTimer.stop();
  m_banner.ShowWindow(SW_HIDE);
  ShowRunLayout(false);
  EnableRunControls(true);
  if (m_replayPanel) {
    const std::optional<LocalTime>& position = m_replay->Pacer().Position();
    m_replayPanel->SetPosition(position ? TextToQt(ReplayPositionText(*position)) : QStringLiteral("-"),
                               m_replay->RecordsShown(), true);
  }
  if (how == ReplayEnd::kReadFailed) {
    m_replayFailed = true;
    MessageBox("Cannot read log file " + FullPath(m_replayPath) + ": " +
                   SystemErrorText(m_replay->ReadError()) + ".",
               "", MB_OK | MB_ICONERROR);
  }
  if (how != ReplayEnd::kStopped) {
    const std::string skipped = SkippedLinesReport(m_replay->Reader(), FullPath(m_replayPath));
    if (!skipped.empty()) MessageBox(skipped, "", MB_OK | MB_ICONWARNING);
  }
  if (m_onRunEnded) m_onRunEnded();
}
