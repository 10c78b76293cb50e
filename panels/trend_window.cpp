// The trends window: its controls, the run's records, a log read on a
// worker thread, and the files it saves.
#include "panels/trend_window.h"

#include <fcntl.h>

#include <QBuffer>
#include <QByteArray>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <string_view>
#include <thread>

#include "decode/time_stamp.h"
#include "decode/trend_csv.h"
#include "decode/trend_log_reader.h"
#include "panels/panel_text.h"
#include "panels/trend_chart_view.h"
#include "panels/window_placement.h"
#include "platform/file_status.h"
#include "platform/local_time.h"
#include "platform/posix_io.h"
#include "platform/replacing_file.h"
#include "platform/system_error_text.h"

// A log being read on its worker.
struct TrendLogJob {
  explicit TrendLogJob(const LoggerConfig& config) : table(std::make_unique<TrendTable>(config)) {}
  ~TrendLogJob() {
    progress.cancel.store(true);
    if (worker.joinable()) worker.join();
    if (fd >= 0) CloseFile(fd);
  }
  std::unique_ptr<TrendTable> table;
  std::string path;
  int fd = -1;
  uint64_t sizeBytes = 0;
  TrendLogProgress progress;
  TrendLogReport report;  // the worker's until done
  std::atomic<bool> done{false};
  std::thread worker;
};

namespace {

// How often a reading's progress is looked at, and how soon records that
// came in are drawn.
constexpr int kJobPollMs = 100;
constexpr int kRedrawDelayMs = 250;
constexpr int kParameterListWidthPx = 260;
constexpr int kInitialWidthPx = 1100;
constexpr int kInitialHeightPx = 600;
constexpr int kPercent = 100;

const QString kCaption = QStringLiteral("Trends");

// Writes bytes to path whole or not at all; "" or the failure.
std::string WriteWholeFile(const std::string& path, std::string_view bytes) {
  ReplacingFile file;
  if (!file.Create(path)) return "Cannot create " + path + ": " + SystemErrorText(errno);
  if (WriteAll(file.Descriptor(), bytes) != bytes.size()) {
    const int error = errno;
    file.Discard();
    return "Cannot write " + path + ": " + SystemErrorText(error);
  }
  if (!file.Commit()) return "Cannot write " + path + ": " + SystemErrorText(errno);
  return {};
}

}  // namespace

TrendWindow::TrendWindow(const LoggerConfig& config, const TrendTable& runTable)
    : m_config(config), m_runTable(runTable) {
  setWindowTitle(kCaption);
  BuildControls();
  m_chosen = DefaultTrendColumns(m_runTable);
  m_chart->SetTable(&m_runTable);
  m_chart->SetColumns(m_chosen);
  FillParameterList();
  m_jobTimer.setInterval(kJobPollMs);
  QObject::connect(&m_jobTimer, &QTimer::timeout, this, [this] { PollLogJob(); });
  m_redrawTimer.setSingleShot(true);
  m_redrawTimer.setInterval(kRedrawDelayMs);
  QObject::connect(&m_redrawTimer, &QTimer::timeout, this, [this] { FlushRedraw(); });
  resize(kInitialWidthPx, kInitialHeightPx);  // placed on its screen when first shown
  ResetRange();
}

TrendWindow::~TrendWindow() = default;

void TrendWindow::BuildControls() {
  m_followButton = new QPushButton(QStringLiteral("&Follow run"));
  m_openButton = new QPushButton(QStringLiteral("&Open log..."));
  m_wholeRunBox = new QCheckBox(QStringLiteral("&Whole run"));
  m_wholeRunBox->setToolTip(QStringLiteral("Show the whole run instead of its last 30 minutes"));
  auto* resetButton = new QPushButton(QStringLiteral("&Reset"));
  resetButton->setToolTip(QStringLiteral("Back to the whole log, or to the newest records of the run"));
  auto* pngButton = new QPushButton(QStringLiteral("Save as &PNG..."));
  auto* csvButton = new QPushButton(QStringLiteral("Save visible range as &CSV..."));
  QObject::connect(m_followButton, &QPushButton::clicked, this, [this] { FollowRun(); });
  QObject::connect(m_openButton, &QPushButton::clicked, this, [this] { AskOpenLog(); });
  QObject::connect(m_wholeRunBox, &QCheckBox::toggled, this, [this](bool whole) { SetWholeRun(whole); });
  QObject::connect(resetButton, &QPushButton::clicked, this, [this] { ResetRange(); });
  QObject::connect(pngButton, &QPushButton::clicked, this, [this] { AskSavePng(); });
  QObject::connect(csvButton, &QPushButton::clicked, this, [this] { AskSaveCsv(); });

  auto* buttons = new QHBoxLayout;
  for (QWidget* widget :
       std::initializer_list<QWidget*>{m_followButton, m_wholeRunBox, m_openButton, resetButton}) {
    buttons->addWidget(widget);
  }
  buttons->addStretch();
  buttons->addWidget(pngButton);
  buttons->addWidget(csvButton);

  m_parameters = new QListWidget;
  m_parameters->setToolTip(QStringLiteral("Up to six parameters"));
  QObject::connect(m_parameters, &QListWidget::itemChanged, this,
                   [this](QListWidgetItem* item) { OnParameterToggled(item); });
  m_chart = new TrendChartView;
  m_chart->onUserRange = [this] { m_following = false; };
  m_chart->onReset = [this] { ResetRange(); };
  m_cursor = new QLabel;
  m_cursor->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_chart->onCursorText = [this](const QString& text) { m_cursor->setText(text); };
  auto* splitter = new QSplitter;
  splitter->addWidget(m_parameters);
  splitter->addWidget(m_chart);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({kParameterListWidthPx, kInitialWidthPx - kParameterListWidthPx});

  m_status = new QLabel;
  m_status->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(splitter, 1);
  layout->addWidget(m_cursor);
  layout->addWidget(m_status);
}

void TrendWindow::FillParameterList() {
  m_fillingList = true;
  m_parameters->clear();
  const TrendTable& table = ShownTable();
  for (size_t column = 0; column < table.Columns().size(); ++column) {
    const TrendColumn& head = table.Columns()[column];
    auto* item = new QListWidgetItem(Windows1252ToQt(head.tabText) + QStringLiteral(" / ") +
                                     Windows1252ToQt(head.label));
    item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
    const bool chosen = std::find(m_chosen.begin(), m_chosen.end(), column) != m_chosen.end();
    item->setCheckState(chosen ? Qt::Checked : Qt::Unchecked);
    item->setData(Qt::UserRole, static_cast<qulonglong>(column));
    m_parameters->addItem(item);
  }
  m_fillingList = false;
}

void TrendWindow::OnParameterToggled(QListWidgetItem* toggled) {
  if (m_fillingList) return;
  std::vector<size_t> chosen;
  for (int row = 0; row < m_parameters->count(); ++row) {
    const QListWidgetItem* item = m_parameters->item(row);
    if (item->checkState() == Qt::Checked) chosen.push_back(item->data(Qt::UserRole).toULongLong());
  }
  if (chosen.size() > kMaxTrendSeries) {
    m_fillingList = true;  // the tick taken back is no change of the choice
    toggled->setCheckState(Qt::Unchecked);
    m_fillingList = false;
    m_status->setText(QStringLiteral("Up to six parameters can be charted at a time; clear one first."));
    return;
  }
  m_chosen = chosen;
  m_chart->SetColumns(m_chosen);
  UpdateStatus();
}

void TrendWindow::ChooseColumns(const std::vector<size_t>& columns) {
  m_chosen.assign(columns.begin(),
                  columns.begin() + static_cast<std::ptrdiff_t>(std::min(columns.size(), kMaxTrendSeries)));
  m_chart->SetColumns(m_chosen);
  FillParameterList();
}

const TrendTable& TrendWindow::ShownTable() const {
  return m_showsRun || m_logTable == nullptr ? m_runTable : *m_logTable;
}

void TrendWindow::ShowTable(const TrendTable* table) {
  m_chart->SetTable(table);
  m_chart->SetColumns(m_chosen);
  ResetRange();
}

void TrendWindow::BeginRun() {
  m_following = true;
  if (m_showsRun) ResetRange();
}

void TrendWindow::RecordsAdded() {
  if (m_showsRun && isVisible() && !m_redrawTimer.isActive()) m_redrawTimer.start();
}

void TrendWindow::FlushRedraw() {
  m_redrawTimer.stop();
  if (!m_showsRun) return;
  if (m_following) {
    FollowLatest();
  } else {
    m_chart->Redraw();
  }
  UpdateStatus();
}

void TrendWindow::FollowLatest() {
  const std::vector<int64_t>& times = m_runTable.TimesMs();
  if (times.empty()) {
    m_chart->Redraw();
    return;
  }
  const auto [first, last] = std::minmax_element(times.begin(), times.end());
  const int64_t from = m_wholeRun ? *first : *last - kLiveTrendSpanMs;
  m_chart->ShowRange(from, std::max(*last, from + kMinTrendSpanMs));
}

void TrendWindow::FollowRun() {
  if (!m_showsRun) {
    m_showsRun = true;
    m_logTable.reset();
    m_logPath.clear();
    m_logNote.clear();
    ShowTable(&m_runTable);
  } else {
    ResetRange();
  }
}

void TrendWindow::SetWholeRun(bool whole) {
  m_wholeRun = whole;
  if (m_wholeRunBox->isChecked() != whole) m_wholeRunBox->setChecked(whole);
  if (m_showsRun) ResetRange();
}

void TrendWindow::ResetRange() {
  m_following = true;
  if (m_showsRun) {
    FollowLatest();
    if (m_runTable.Empty()) {
      const int64_t now = WallClockMs(ReadLocalTime());
      m_chart->ShowRange(now - kLiveTrendSpanMs, now);
    }
  } else {
    const std::vector<int64_t>& times = m_logTable->TimesMs();
    if (times.empty()) return;
    const auto [first, last] = std::minmax_element(times.begin(), times.end());
    m_chart->ShowRange(*first, std::max(*last, *first + kMinTrendSpanMs));
  }
  UpdateStatus();
}

void TrendWindow::UpdateStatus() {
  QString text;
  if (m_job != nullptr) {
    const uint64_t read = m_job->progress.bytesRead.load();
    const uint64_t share =
        m_job->sizeBytes == 0 ? 0 : std::min<uint64_t>(read * kPercent / m_job->sizeBytes, kPercent);
    text = QStringLiteral("Reading %1: %2 %")
               .arg(QFile::decodeName(QByteArray::fromStdString(m_job->path)))
               .arg(share);
  } else if (m_showsRun) {
    text = QStringLiteral("Run: %1 records").arg(m_runTable.Size());
    if (!m_wholeRun) text += QStringLiteral(", the last 30 minutes shown");
  } else {
    text = QStringLiteral("Log %1: %2 records")
               .arg(QFile::decodeName(QByteArray::fromStdString(m_logPath)))
               .arg(m_logTable->Size());
    if (!m_logNote.isEmpty()) text += QStringLiteral(". ") + m_logNote;
  }
  m_status->setText(text);
}

QString TrendWindow::StatusText() const { return m_status->text(); }

void TrendWindow::AskOpenLog() {
  const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open log"), QString(),
                                                    QStringLiteral("Logs (*.log *.txt);;All files (*)"));
  if (!path.isEmpty()) OpenLog(PathBytes(path));
}

void TrendWindow::OpenLog(const std::string& path) {
  if (m_job != nullptr) return;
  auto job = std::make_unique<TrendLogJob>(m_config);
  job->path = path;
  job->fd = OpenFile(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (job->fd < 0) {
    ShowError(QStringLiteral("Cannot open the log %1: %2")
                  .arg(QFile::decodeName(QByteArray::fromStdString(path)),
                       QString::fromStdString(SystemErrorText(errno))));
    return;
  }
  FileStatus status;
  if (!ReadFileStatus(job->fd, path, status)) {
    ShowError(QStringLiteral("Cannot open the log %1: %2")
                  .arg(QFile::decodeName(QByteArray::fromStdString(path)),
                       QString::fromStdString(SystemErrorText(errno))));
    return;
  }
  if (!status.isRegularFile) {
    ShowError(QStringLiteral("Cannot open the log %1: it is not a file")
                  .arg(QFile::decodeName(QByteArray::fromStdString(path))));
    return;
  }
  job->sizeBytes = status.sizeBytes;
  TrendLogJob* running = job.get();
  job->worker = std::thread([running] {
    running->report = ReadTrendLog(running->fd, running->sizeBytes, *running->table, &running->progress);
    running->done.store(true, std::memory_order_release);
  });
  m_job = std::move(job);
  m_openButton->setEnabled(false);
  m_jobTimer.start();
  UpdateStatus();
}

void TrendWindow::PollLogJob() {
  if (m_job == nullptr) return;
  if (!m_job->done.load(std::memory_order_acquire)) {
    UpdateStatus();
    return;
  }
  m_jobTimer.stop();
  m_job->worker.join();
  std::unique_ptr<TrendLogJob> job = std::move(m_job);
  m_openButton->setEnabled(true);
  const TrendLogReport& report = job->report;
  const QString path = QFile::decodeName(QByteArray::fromStdString(job->path));
  if (job->table->Empty()) {
    UpdateStatus();
    QString text = QStringLiteral("The log %1 holds no records of this configuration's layout").arg(path);
    if (report.readError != 0) {
      text = QStringLiteral("Cannot read the log %1: %2")
                 .arg(path, QString::fromStdString(SystemErrorText(report.readError)));
    } else if (report.skippedLines > 0) {
      text += QStringLiteral(" (line %1: %2)")
                  .arg(report.firstSkippedLine)
                  .arg(Windows1252ToQt(report.firstSkippedReason));
    }
    ShowError(text + QStringLiteral("."));
    return;
  }
  m_logTable = std::move(job->table);
  m_logPath = job->path;
  m_logNote.clear();
  if (report.skippedLines > 0) {
    m_logNote = QStringLiteral("%1 lines skipped, the first line %2: %3")
                    .arg(report.skippedLines)
                    .arg(report.firstSkippedLine)
                    .arg(Windows1252ToQt(report.firstSkippedReason));
  }
  m_showsRun = false;
  ShowTable(m_logTable.get());
  FillParameterList();
  if (report.readError != 0) {
    ShowError(QStringLiteral("Reading the log %1 stopped early: %2. The records before are shown.")
                  .arg(path, QString::fromStdString(SystemErrorText(report.readError))));
  }
}

std::string TrendWindow::SavePng(const std::string& path) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!m_chart->grab().save(&buffer, "PNG")) return "Cannot draw the chart for " + path;
  return WriteWholeFile(path, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

std::string TrendWindow::SaveVisibleCsv(const std::string& path) {
  std::string csv;
  AppendTrendCsv(ShownTable(), m_chosen, m_chart->FromMs(), m_chart->ToMs(), csv);
  return WriteWholeFile(path, csv);
}

void TrendWindow::AskSavePng() {
  const QString path =
      QFileDialog::getSaveFileName(this, QStringLiteral("Save as PNG"), QStringLiteral("trends.png"),
                                   QStringLiteral("PNG images (*.png)"));
  if (path.isEmpty()) return;
  const std::string failure = SavePng(PathBytes(path));
  if (!failure.empty()) ShowError(QString::fromStdString(failure));
}

void TrendWindow::AskSaveCsv() {
  const QString path =
      QFileDialog::getSaveFileName(this, QStringLiteral("Save visible range as CSV"),
                                   QStringLiteral("trends.csv"), QStringLiteral("CSV files (*.csv)"));
  if (path.isEmpty()) return;
  const std::string failure = SaveVisibleCsv(PathBytes(path));
  if (!failure.empty()) ShowError(QString::fromStdString(failure));
}

void TrendWindow::ShowError(const QString& text) {
  if (onError) {
    onError(text);
  } else {
    QMessageBox::warning(this, kCaption, text);
  }
}

void TrendWindow::showEvent(QShowEvent* event) {
  if (!m_placed && !event->spontaneous()) {
    m_placed = true;
    PlaceOnScreen();
  }
  QWidget::showEvent(event);
  FlushRedraw();
}

void TrendWindow::PlaceOnScreen() {
  const QScreen* shownOn = screen();
  if (shownOn == nullptr) return;
  const QRect placed = PlaceWindow(shownOn->availableGeometry(), QSize(kInitialWidthPx, kInitialHeightPx),
                                   minimumSizeHint().expandedTo(minimumSize()));
  resize(placed.size());
  move(placed.topLeft());
}

void TrendWindow::closeEvent(QCloseEvent* event) {
  // A reading in progress is not wanted any more; the run's records stay.
  m_jobTimer.stop();
  m_job.reset();
  m_openButton->setEnabled(true);
  UpdateStatus();
  QWidget::closeEvent(event);
}
