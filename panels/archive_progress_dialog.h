// The window that shows how much of the log Stop has compressed into its
// archive, for archives that take long enough to be noticed.
#pragma once

#include <QDialog>
#include <QTimer>
#include <cstdint>

class QLabel;
class QProgressBar;

// Not modal: the main window behind it goes on painting and showing
// records. It has no close button; its owner deletes it when the archive is
// done. User-interface thread.
class ArchiveProgressDialog : public QDialog {
 public:
  // Stays hidden until showDelayMs have passed since construction (0: shown
  // at once), so a quick archive never flashes it. parent: the main window.
  ArchiveProgressDialog(QWidget* parent, const QString& archivePath, int showDelayMs);

  // bytesRead of the log's logBytes have gone into the compressor; a
  // logBytes of 0 means the size is not known yet.
  void SetProgress(uint64_t bytesRead, uint64_t logBytes);

  // The progress line, e.g. "12.5 MB of 200.0 MB compressed".
  QString ProgressText() const;
  // 0 to 1000: thousandths of the log read.
  int ProgressValue() const;

 protected:
  // Escape and the window manager's close do nothing: the archive cannot
  // be stopped halfway without losing it.
  void reject() override {}

 private:
  QLabel* m_progressLabel;
  QProgressBar* m_bar;
  QTimer m_showTimer;
};
