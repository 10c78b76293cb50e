// The Events list as a tree widget of one level: a row per event, the
// newest on top, faults in red with an error icon, returns to normal in
// green; the values of the selected event's record beside it, by tab.
#include "panels/events_panel.h"

#include <QApplication>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QSplitter>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdio>

#include "panels/panel_text.h"

namespace {

constexpr int kMinimumWidthPx = 640;
constexpr int kMinimumHeightPx = 280;
// Wide enough for a fault's long texts ("NO Fault -> Error detected on
// outdoor unit") beside the time, unit and parameter, and for the values.
constexpr int kStartWidthPx = 1180;
constexpr int kStartHeightPx = 520;
constexpr int kStartListWidthPx = 640;
// The values' rows under their tab: a small step in, so that long labels
// and values fit beside each other.
constexpr int kValuesIndentPx = 10;
// The item's data role that holds its event's serial.
constexpr int kEventSerialRole = Qt::UserRole;
// Row colours: a light red for faults, a light green for their end; dark
// text on both, readable in light and dark desktop themes alike.
const QColor kFaultBackground(0xFF, 0xD6, 0xD6);
const QColor kFaultText(0x8B, 0x00, 0x00);
const QColor kClearedBackground(0xD9, 0xF2, 0xD9);
const QColor kClearedText(0x0B, 0x4F, 0x0B);
// The event's own row among the values.
const QColor kChangedBackground(0xFF, 0xF2, 0xB3);

constexpr const char* kNoSelectionText = "Select an event to see the values of its record.";

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
      m_list(new QTreeWidget),
      m_summary(new QLabel(this)),
      m_valuesHeading(new QLabel),
      m_values(new QTreeWidget) {
  setWindowTitle(QStringLiteral("Events - ") + QCoreApplication::applicationName());
  setMinimumSize(kMinimumWidthPx, kMinimumHeightPx);
  resize(kStartWidthPx, kStartHeightPx);
  auto* layout = new QVBoxLayout(this);
  auto* splitter = new QSplitter(Qt::Horizontal, this);
  m_list->setColumnCount(kColumnCount);
  m_list->setHeaderLabels({QStringLiteral("Time"), QStringLiteral("Unit"), QStringLiteral("Parameter"),
                           QStringLiteral("Before \u2192 After")});
  m_list->setRootIsDecorated(false);
  m_list->setUniformRowHeights(true);
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  m_list->setAllColumnsShowFocus(true);
  m_list->header()->setStretchLastSection(true);
  splitter->addWidget(m_list);

  auto* valuesPane = new QWidget;
  auto* valuesLayout = new QVBoxLayout(valuesPane);
  valuesLayout->setContentsMargins(0, 0, 0, 0);
  m_valuesHeading->setTextFormat(Qt::PlainText);
  m_valuesHeading->setWordWrap(true);
  m_valuesHeading->setText(QString::fromLatin1(kNoSelectionText));
  valuesLayout->addWidget(m_valuesHeading);
  m_values->setColumnCount(kValueColumnCount);
  m_values->setHeaderLabels({QStringLiteral("Parameter"), QStringLiteral("Value")});
  m_values->setUniformRowHeights(true);
  m_values->setIndentation(kValuesIndentPx);
  m_values->setSelectionMode(QAbstractItemView::NoSelection);
  m_values->setFocusPolicy(Qt::NoFocus);
  m_values->header()->setStretchLastSection(true);
  valuesLayout->addWidget(m_values);
  splitter->addWidget(valuesPane);
  splitter->setSizes({kStartListWidthPx, kStartWidthPx - kStartListWidthPx});
  layout->addWidget(splitter, 1);

  m_summary->setTextFormat(Qt::PlainText);
  layout->addWidget(m_summary);
  UpdateSummary();

  // The selection, not the current item: the list makes its top item
  // current when it takes the focus, which is no choice of the user's.
  QObject::connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] {
    const QList<QTreeWidgetItem*> chosen = m_list->selectedItems();
    if (!chosen.isEmpty() && m_handlers.eventSelected)
      m_handlers.eventSelected(EventOf(chosen.front()), SerialOf(chosen.front()));
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
    item->setData(kTimeColumn, kEventSerialRole, static_cast<qulonglong>(m_firstSerial + m_events.size()));
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
  // The columns widen to the texts in view, and never narrow: the run's
  // start has no unit, the changes after it do.
  for (int column = kTimeColumn; column < kChangeColumn; ++column) {
    const int before = m_list->columnWidth(column);
    m_list->resizeColumnToContents(column);
    if (!firstEvents && m_list->columnWidth(column) < before) m_list->setColumnWidth(column, before);
  }
  UpdateSummary();
}

void EventsPanel::KeepNewest(size_t count) {
  if (m_events.size() <= count) return;
  while (m_events.size() > count) {
    // The oldest is the bottom item.
    delete m_list->takeTopLevelItem(m_list->topLevelItemCount() - 1);
    if (m_events.front().severity == EventSeverity::kFault) --m_faults;
    m_events.pop_front();
    ++m_firstSerial;
  }
  UpdateSummary();
}

void EventsPanel::Clear(uint64_t nextSerial) {
  m_list->clear();
  m_events.clear();
  m_firstSerial = nextSerial;
  m_faults = 0;
  m_values->clear();
  m_valuesHeading->setText(QString::fromLatin1(kNoSelectionText));
  UpdateSummary();
}

void EventsPanel::ShowValues(const QString& heading, const std::vector<DumpTab>& tabs, int changedTab,
                             int changedRow) {
  m_valuesHeading->setText(heading);
  m_values->clear();
  QTreeWidgetItem* changed = nullptr;
  for (size_t t = 0; t < tabs.size(); ++t) {
    auto* tabItem = new QTreeWidgetItem({Windows1252ToQt(tabs[t].text)});
    QFont bold = tabItem->font(kValueParameterColumn);
    bold.setBold(true);
    tabItem->setFont(kValueParameterColumn, bold);
    tabItem->setFirstColumnSpanned(true);
    for (size_t r = 0; r < tabs[t].rows.size(); ++r) {
      const DumpRow& row = tabs[t].rows[r];
      auto* rowItem =
          new QTreeWidgetItem(tabItem, {Windows1252ToQt(row.parameter), Windows1252ToQt(row.value)});
      if (static_cast<int>(t) == changedTab && static_cast<int>(r) == changedRow) {
        for (int column = 0; column < kValueColumnCount; ++column) {
          rowItem->setBackground(column, kChangedBackground);
          rowItem->setFont(column, bold);
        }
        changed = rowItem;
      }
    }
    m_values->addTopLevelItem(tabItem);
    tabItem->setFirstColumnSpanned(true);
  }
  m_values->expandAll();
  m_values->resizeColumnToContents(kValueParameterColumn);
  if (changed != nullptr) m_values->scrollToItem(changed, QAbstractItemView::PositionAtCenter);
}

QString EventsPanel::SummaryText() const { return m_summary->text(); }
QString EventsPanel::ValuesHeading() const { return m_valuesHeading->text(); }

uint64_t EventsPanel::SerialOf(const QTreeWidgetItem* item) const {
  return item->data(kTimeColumn, kEventSerialRole).toULongLong();
}

const ChangeEvent& EventsPanel::EventOf(const QTreeWidgetItem* item) const {
  return m_events[static_cast<size_t>(SerialOf(item) - m_firstSerial)];
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
  QString text = counted(m_events.size(), "event", "events") + QStringLiteral(", ") +
                 counted(m_faults, "fault", "faults");
  if (m_firstSerial > 0)
    text +=
        QStringLiteral(" (the ") + counted(m_firstSerial, "oldest", "oldest") + QStringLiteral(" dropped)");
  m_summary->setText(text + QStringLiteral("; select one to see the values of its record"));
}
