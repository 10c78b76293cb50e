// The replay's control window: the log replayed, its speed, Pause and the
// position, shown beside the main window while a log is replayed.
#pragma once

#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

// Where a replay is: under way, through to the end of its log, or ended by
// Stop (or the window's close box) part-way.
enum class ReplayStage { kReplaying, kAtEnd, kStopped };

// Not modal: the main window goes on showing the replayed records. Its
// owner deletes it when the replay ends. User-interface thread.
class ReplayPanel : public QWidget {
 public:
  struct Handlers {
    std::function<void(double speed)> speedChosen;  // a speed of kReplaySpeeds, or the one given
    std::function<void(bool paused)> pauseToggled;
    std::function<void()> closed;  // the window's close box: the replay ends
  };

  // parent: the main window; logPath: the log as the user named it; speed:
  // the speed the replay starts at (one not offered is added to the list).
  ReplayPanel(QWidget* parent, const QString& logPath, double speed, Handlers handlers);

  // The record's time ("2015/03/07 14:05:09.042"), how many records were
  // shown, and where the replay is; once it is over, speed and Pause are
  // greyed.
  void SetPosition(const QString& recordTime, uint64_t recordsShown, ReplayStage stage);

  // What the window shows, for tests.
  QString PositionText() const;
  double Speed() const;
  bool IsPaused() const { return m_paused; }
  QPushButton* PauseButton() const { return m_pause; }
  QComboBox* SpeedList() const { return m_speeds; }

  // "1×", "10×", "2.5×", or "As fast as possible" for speed 0.
  static QString SpeedText(double speed);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  Handlers m_handlers;
  QComboBox* m_speeds;
  QPushButton* m_pause;
  QLabel* m_position;
  bool m_paused = false;
};
