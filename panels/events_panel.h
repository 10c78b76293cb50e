// The Events list: what changed during a run or in a log, newest first,
// faults set apart by colour and an icon, each with its time and the texts
// before and after. Selecting an event asks its owner for the values at
// that record.
#pragma once

#include <QWidget>
#include <functional>
#include <span>
#include <vector>

#include "decode/change_event.h"

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

// Not modal; its owner keeps it and feeds it events (from the run's events
// face through the window's queue, or from a log). User-interface thread.
class EventsPanel : public QWidget {
 public:
  struct Handlers {
    // The user selected event: show the values of its record (event.record,
    // event.timeMs; 0 for an event between records, such as
    // COMMUNICATION ERROR raised).
    std::function<void(const ChangeEvent& event)> eventSelected;
  };

  // Columns of the list.
  enum Column : int { kTimeColumn, kUnitColumn, kParameterColumn, kChangeColumn, kColumnCount };

  EventsPanel(QWidget* parent, Handlers handlers);

  // Puts events on top of the list, in their order, so the newest is first.
  void AddEvents(std::span<const ChangeEvent> events);
  // Empties the list (a new run, another log).
  void Clear();

  // What the window shows, for tests.
  QTreeWidget* List() const { return m_list; }
  QString SummaryText() const;
  // The event a list item shows.
  const ChangeEvent& EventOf(const QTreeWidgetItem* item) const;

  // "2015-03-07 14:05:09.042".
  static QString TimeText(const LocalTime& time);
  // "Heat → Cool".
  static QString ChangeText(const ChangeEvent& event);

 private:
  void UpdateSummary();

  Handlers m_handlers;
  QTreeWidget* m_list;
  QLabel* m_summary;
  // Every event shown, in the order added; an item holds its index.
  std::vector<ChangeEvent> m_events;
  size_t m_faults = 0;
};
