// Replay of a log in the main dialog: the run core replays the log through
// its record path at the recorded pace, the lists and the banner follow its
// records and events as a live run's, and the replay's control window sets
// speed and pause.
#include <QFile>
#include <QFileDialog>
#include <string>

#include "app/logger_dialog.h"
#include "app/resource_ids.h"
#include "panels/replay_panel.h"
#include "panels/window_placement.h"
#include "ui/dialog_responder.h"
#include "ui/text_codec.h"

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
  const RunStartResult started = m_run->StartReplay(path, speed);
  if (!started.Started()) {
    m_replayFailed = true;
    MessageBox(started.message, "", MB_OK | MB_ICONERROR);
    return false;
  }
  m_replaying = true;
  m_replayFailed = false;
  m_replayStopped = false;
  // The log name shows the log the records come from.
  m_logNameEdit.SetWindowText(path);
  m_replayPosition.reset();
  m_replayRecords = 0;
  m_lineQuiet = false;
  m_stateLine.BeginReplay();
  ShowRunLayout(true);
  EnableRunControls(false);
  if (CWnd* stop = GetDlgItem(kStopButtonId)) stop->EnableWindow(TRUE);
  m_banner.ShowWindow(SW_HIDE);
  BuildOutdoorList();
  BuildUnitLists();
  BeginRunTrends();

  ReplayPanel::Handlers handlers;
  handlers.speedChosen = [this](double chosen) {
    if (m_replaying) m_run->SetReplaySpeed(chosen);
  };
  handlers.pauseToggled = [this](bool paused) {
    if (m_replaying) m_run->SetReplayPaused(paused);
  };
  // Closing the control window ends the replay, as Stop does.
  handlers.closed = [this] { OnBnClickedStop(); };
  m_replayPanel = std::make_unique<ReplayPanel>(GetWidget(), TextToQt(path), speed, std::move(handlers));
  PlaceBeside(*m_replayPanel, *GetWidget());
  // Shown unless a responder answers the boxes: then nobody watches.
  if (GetDialogResponder() == nullptr) m_replayPanel->show();
  return true;
}

void CTESSAMPLENXLOGGERDlg::EndReplay(const RunEnd& end) {
  m_replaying = false;
  m_stateLine.EndRun(end);
  m_logNameEdit.SetWindowText(m_config.logFileName);
  m_banner.ShowWindow(SW_HIDE);
  ShowRunLayout(false);
  EnableRunControls(true);
  if (m_replayPanel) {
    m_replayPanel->SetPosition(
        m_replayPosition ? TextToQt(ReplayPositionText(*m_replayPosition)) : QStringLiteral("-"), end.records,
        m_replayStopped || end.replayFailed ? ReplayStage::kStopped : ReplayStage::kAtEnd);
  }
  if (end.replayFailed) m_replayFailed = true;
  // Boxes last: a new replay may begin in their loops.
  for (const std::string& message : end.failureMessages) MessageBox(message, "", MB_OK | MB_ICONERROR);
  for (const std::string& message : end.noticeMessages) MessageBox(message, "", MB_OK | MB_ICONWARNING);
}
