// The replay's control window: a label naming the log, the speed list, a
// Pause button and the position line.
#include "panels/replay_panel.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "decode/log_replay.h"

namespace {

// The widest position line the panel makes room for: a time stamp in its
// fixed format, more records than a year of logging holds, and the end.
const QString kWidestTime = QStringLiteral("0000/00/00 00:00:00.000");
constexpr uint64_t kWidestRecordCount = 99'999'999;

QString PositionLine(const QString& recordTime, uint64_t recordsShown, bool finished) {
  QString text = recordTime + QStringLiteral("  (record %1)").arg(recordsShown);
  if (finished) text += QStringLiteral(", end of the log");
  return text;
}

}  // namespace

ReplayPanel::ReplayPanel(QWidget* parent, const QString& logPath, double speed, Handlers handlers)
    : QWidget(parent, Qt::Tool),
      m_handlers(std::move(handlers)),
      m_speeds(new QComboBox(this)),
      m_pause(new QPushButton(QStringLiteral("&Pause"), this)),
      m_position(new QLabel(this)) {
  setWindowTitle(QStringLiteral("Replay - ") + QCoreApplication::applicationName());
  auto* layout = new QVBoxLayout(this);
  auto* what = new QLabel(QStringLiteral("Replaying the log:\n") + logPath, this);
  what->setTextFormat(Qt::PlainText);
  what->setWordWrap(true);
  layout->addWidget(what);

  for (double offered : kReplaySpeeds) m_speeds->addItem(SpeedText(offered), offered);
  int current = m_speeds->findData(speed);
  if (current < 0) {
    m_speeds->addItem(SpeedText(speed), speed);
    current = m_speeds->count() - 1;
  }
  m_speeds->setCurrentIndex(current);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("&Speed:"), m_speeds);
  form->addRow(QStringLiteral("Position:"), m_position);
  layout->addLayout(form);
  layout->addWidget(m_pause);
  m_position->setTextFormat(Qt::PlainText);
  // Room for the longest line from the start: the window (sized by its
  // layout) then shows every line whole, and keeps its size as they change.
  m_position->setMinimumWidth(
      m_position->fontMetrics().horizontalAdvance(PositionLine(kWidestTime, kWidestRecordCount, true)));
  SetPosition(QStringLiteral("-"), 0, false);

  QObject::connect(m_speeds, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0 && m_handlers.speedChosen) m_handlers.speedChosen(m_speeds->itemData(index).toDouble());
  });
  QObject::connect(m_pause, &QPushButton::clicked, this, [this] {
    m_paused = !m_paused;
    m_pause->setText(m_paused ? QStringLiteral("&Resume") : QStringLiteral("&Pause"));
    if (m_handlers.pauseToggled) m_handlers.pauseToggled(m_paused);
  });
}

QString ReplayPanel::SpeedText(double speed) {
  if (speed <= 0) return QStringLiteral("As fast as possible");
  return QString::number(speed, 'g', 6) + QChar(0x00D7);
}

void ReplayPanel::SetPosition(const QString& recordTime, uint64_t recordsShown, bool finished) {
  m_position->setText(PositionLine(recordTime, recordsShown, finished));
  m_pause->setEnabled(!finished);
  m_speeds->setEnabled(!finished);
}

QString ReplayPanel::PositionText() const { return m_position->text(); }

double ReplayPanel::Speed() const { return m_speeds->currentData().toDouble(); }

void ReplayPanel::closeEvent(QCloseEvent* event) {
  event->accept();
  if (m_handlers.closed) m_handlers.closed();
}
