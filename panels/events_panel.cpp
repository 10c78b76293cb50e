// The Events list as a tree widget of one level: a row per event, the
// newest on top, faults in red with an error icon, returns to normal in
// green.
#include "panels/events_panel.h"

#include <QApplication>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdio>

#include "panels/panel_text.h"

namespace {

constexpr int kMinimumWidthPx = 480;
constexpr int kMinimumHeightPx = 240;
// Wide enough for a fault's long texts ("NO Fault -> Error detected on
// outdoor unit") beside the time, unit and parameter.
constexpr int kStartWidthPx = 860;
constexpr int kStartHeightPx = 400;
// The item's data role that holds its event's index in m_events.
constexpr int kEventIndexRole = Qt::UserRole;
// Row colours: a light red for faults, a light green for their end; dark
// text on both, readable in light and dark desktop themes alike.
const QColor kFaultBackground(0xFF, 0xD6, 0xD6);
const QColor kFaultText(0x8B, 0x00, 0x00);
const QColor kClearedBackground(0xD9, 0xF2, 0xD9);
const QColor kClearedText(0x0B, 0x4F, 0x0B);

// A transparent icon of size (of the list's style when invalid).
QIcon BlankIcon(QSize size) {
  const int side =
      size.isValid() ? size.height() : QApplication::style()->pixelMetric(QStyle::PM_SmallIconSize);
  QPixmap blank(side, side);
  blank.fill(Qt::transparent);
  return QIcon(blank);
}

}  // namespace

EventsPanel::EventsPanel(QWidget* parent, Handlers handlers)
    : QWidget(parent, Qt::Window),
      m_handlers(std::move(handlers)),
      m_list(new QTreeWidget(this)),
      m_summary(new QLabel(this)) {
  setWindowTitle(QStringLiteral("Events - ") + QCoreApplication::applicationName());
  setMinimumSize(kMinimumWidthPx, kMinimumHeightPx);
  resize(kStartWidthPx, kStartHeightPx);
  auto* layout = new QVBoxLayout(this);
  m_list->setColumnCount(kColumnCount);
  m_list->setHeaderLabels({QStringLiteral("Time"), QStringLiteral("Unit"), QStringLiteral("Parameter"),
                           QStringLiteral("Before \u2192 After")});
  m_list->setRootIsDecorated(false);
  m_list->setUniformRowHeights(true);
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  m_list->setAllColumnsShowFocus(true);
  m_list->header()->setStretchLastSection(true);
  layout->addWidget(m_list);
  m_summary->setTextFormat(Qt::PlainText);
  layout->addWidget(m_summary);
  UpdateSummary();

  // The selection, not the current item: the list makes its top item
  // current when it takes the focus, which is no choice of the user's.
  QObject::connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] {
    const QList<QTreeWidgetItem*> chosen = m_list->selectedItems();
    if (!chosen.isEmpty() && m_handlers.eventSelected) m_handlers.eventSelected(EventOf(chosen.front()));
  });
}

void EventsPanel::AddEvents(std::span<const ChangeEvent> events) {
  if (events.empty()) return;
  const bool firstEvents = m_events.empty();
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(events.size()));
  for (const ChangeEvent& event : events) {
    auto* item = new QTreeWidgetItem({TimeText(event.time), Windows1252ToQt(event.tab),
                                      Windows1252ToQt(event.parameter), ChangeText(event)});
    item->setData(kTimeColumn, kEventIndexRole, static_cast<qulonglong>(m_events.size()));
    if (event.severity == EventSeverity::kState) {
      // A blank icon keeps the times of every row aligned.
      item->setIcon(kTimeColumn, BlankIcon(m_list->iconSize()));
    } else {
      const bool fault = event.severity == EventSeverity::kFault;
      item->setIcon(kTimeColumn, style()->standardIcon(fault ? QStyle::SP_MessageBoxCritical
                                                             : QStyle::SP_DialogApplyButton));
      for (int column = 0; column < kColumnCount; ++column) {
        item->setBackground(column, fault ? kFaultBackground : kClearedBackground);
        item->setForeground(column, fault ? kFaultText : kClearedText);
      }
      if (fault) ++m_faults;
    }
    m_events.push_back(event);
    items.prepend(item);
  }
  m_list->insertTopLevelItems(0, items);
  // Sized once, to the first events: later ones have texts of the same kinds.
  if (firstEvents) {
    for (int column = kTimeColumn; column < kChangeColumn; ++column) m_list->resizeColumnToContents(column);
  }
  UpdateSummary();
}

void EventsPanel::Clear() {
  m_list->clear();
  m_events.clear();
  m_faults = 0;
  UpdateSummary();
}

QString EventsPanel::SummaryText() const { return m_summary->text(); }

const ChangeEvent& EventsPanel::EventOf(const QTreeWidgetItem* item) const {
  return m_events[item->data(kTimeColumn, kEventIndexRole).toULongLong()];
}

QString EventsPanel::TimeText(const LocalTime& time) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", time.year, time.month, time.day,
                time.hour, time.minute, time.second, time.milliseconds);
  return QString::fromLatin1(text);
}

QString EventsPanel::ChangeText(const ChangeEvent& event) {
  return Windows1252ToQt(event.before) + QStringLiteral(" \u2192 ") + Windows1252ToQt(event.after);
}

void EventsPanel::UpdateSummary() {
  const auto counted = [](size_t count, const char* one, const char* many) {
    return QString::number(count) + QLatin1Char(' ') + QLatin1String(count == 1 ? one : many);
  };
  m_summary->setText(counted(m_events.size(), "event", "events") + QStringLiteral(", ") +
                     counted(m_faults, "fault", "faults") +
                     QStringLiteral("; select one to see the values of its record"));
}
