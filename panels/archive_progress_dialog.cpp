// Progress of Stop's archive: a label naming the archive, a bar and a line
// with the megabytes done.
#include "panels/archive_progress_dialog.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {

// The bar counts thousandths of the log.
constexpr int kProgressSteps = 1000;
constexpr double kBytesPerMegabyte = 1000.0 * 1000.0;
constexpr int kMinimumWidthPx = 420;

QString Megabytes(uint64_t bytes) {
  return QString::number(static_cast<double>(bytes) / kBytesPerMegabyte, 'f', 1);
}

}  // namespace

ArchiveProgressDialog::ArchiveProgressDialog(QWidget* parent, const QString& archivePath, int showDelayMs)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_progressLabel(new QLabel(this)),
      m_bar(new QProgressBar(this)) {
  setWindowTitle(QCoreApplication::applicationName());
  setModal(false);
  setMinimumWidth(kMinimumWidthPx);
  auto* layout = new QVBoxLayout(this);
  auto* what = new QLabel(QStringLiteral("Writing the archive of the log:\n") + archivePath, this);
  what->setTextFormat(Qt::PlainText);
  what->setWordWrap(true);
  layout->addWidget(what);
  m_bar->setRange(0, kProgressSteps);
  m_bar->setValue(0);
  layout->addWidget(m_bar);
  layout->addWidget(m_progressLabel);
  SetProgress(0, 0);

  m_showTimer.setSingleShot(true);
  QObject::connect(&m_showTimer, &QTimer::timeout, this, [this] { show(); });
  m_showTimer.start(showDelayMs);
}

void ArchiveProgressDialog::SetProgress(uint64_t bytesRead, uint64_t logBytes) {
  if (logBytes == 0) {
    m_bar->setValue(0);
    m_progressLabel->setText(QStringLiteral("Starting..."));
    return;
  }
  const uint64_t done = bytesRead < logBytes ? bytesRead : logBytes;
  m_bar->setValue(static_cast<int>(done * kProgressSteps / logBytes));
  m_progressLabel->setText(
      QStringLiteral("%1 MB of %2 MB compressed").arg(Megabytes(done), Megabytes(logBytes)));
}

QString ArchiveProgressDialog::ProgressText() const { return m_progressLabel->text(); }

int ArchiveProgressDialog::ProgressValue() const { return m_bar->value(); }
