// The trends window: lines of up to six numeric parameters over time, of
// the run in progress (fed record by record) or of a whole log file.
#pragma once

#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/logger_config.h"
#include "decode/trend_table.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class TrendChartView;
struct TrendLogJob;

// How much of the run a live chart shows while it follows the records.
inline constexpr int64_t kLiveTrendSpanMs = 30 * 60 * 1000;

// A window of its own (no parent; its owner deletes it). It shows the
// run's table, which its owner keeps and fills from the run's start
// whether the window exists, shows or shows a log, so that opening it late,
// reopening it or going back to "Follow run" loses nothing. A log is read
// on a worker thread; the window stays responsive and a window closed
// meanwhile stops the reading. User-interface thread.
class TrendWindow : public QWidget {
 public:
  // runTable: the run's records (of config's layout), which outlive the
  // window and change only on its thread, each change followed by BeginRun
  // or RecordsAdded.
  TrendWindow(const LoggerConfig& config, const TrendTable& runTable);
  ~TrendWindow() override;

  // The run's table was emptied for a new run: the chart follows the new one.
  void BeginRun();
  // Records were appended to the run's table: drawn soon when shown.
  void RecordsAdded();

  // Reads the log at path (the file system's bytes) and shows all of it
  // once read; failures are shown in boxes naming the file and the reason.
  void OpenLog(const std::string& path);
  bool ReadingLog() const { return m_job != nullptr; }
  // Shows the run again after a log.
  void FollowRun();
  bool ShowsRun() const { return m_showsRun; }
  // Whole run (true) or the last 30 minutes of it (false, the default).
  void SetWholeRun(bool whole);

  // The range back to all of a log, or to the followed part of the run.
  void ResetRange();

  // Writes the chart as it is now, as a PNG, or the records of the visible
  // range as CSV, to path (the file system's bytes), replacing a file there
  // only once complete. Returns "" or the failure, naming the file.
  std::string SavePng(const std::string& path);
  std::string SaveVisibleCsv(const std::string& path);

  // Chooses the columns of the shown table to draw (kMaxTrendSeries at most).
  void ChooseColumns(const std::vector<size_t>& columns);

  TrendChartView* Chart() const { return m_chart; }
  const TrendTable& RunTable() const { return m_runTable; }
  // The table shown: the run's or the log's.
  const TrendTable& ShownTable() const;
  // The status line: what is shown, or how a log reading went.
  QString StatusText() const;
  // Draws pending records now instead of on the redraw timer.
  void FlushRedraw();

  // Shows a failure the user must act on; a warning box when unset.
  std::function<void(const QString&)> onError;

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Records that came while the window was hidden are drawn when it shows.
  // The first time, the window takes its size (1100 x 600, less on a
  // smaller screen) and a place in the middle of its screen's free area.
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls();
  void FillParameterList();
  void OnParameterToggled(QListWidgetItem* toggled);
  void ShowTable(const TrendTable* table);
  void FollowLatest();
  void PollLogJob();
  void AskOpenLog();
  void AskSavePng();
  void AskSaveCsv();
  void ShowError(const QString& text);
  void UpdateStatus();
  void PlaceOnScreen();

  LoggerConfig m_config;
  const TrendTable& m_runTable;
  std::unique_ptr<TrendTable> m_logTable;
  std::string m_logPath;
  QString m_logNote;  // skipped lines or a read error of the log shown
  std::unique_ptr<TrendLogJob> m_job;
  QTimer m_jobTimer;
  QTimer m_redrawTimer;
  bool m_showsRun = true;
  bool m_wholeRun = false;
  // The chart follows the newest records until the user moves the range.
  bool m_following = true;
  std::vector<size_t> m_chosen;

  TrendChartView* m_chart = nullptr;
  QListWidget* m_parameters = nullptr;
  QPushButton* m_followButton = nullptr;
  QPushButton* m_openButton = nullptr;
  QCheckBox* m_wholeRunBox = nullptr;
  QLabel* m_status = nullptr;
  QLabel* m_cursor = nullptr;
  bool m_fillingList = false;
  bool m_placed = false;
};
