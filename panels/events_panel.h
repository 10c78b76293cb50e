// The Events list: what changed during a run or in a log, newest first,
// faults set apart by colour and an icon, each with its time and the texts
// before and after; beside it, the values at the selected event's record.
#pragma once

#include <QWidget>
#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <vector>

#include "decode/change_event.h"
#include "decode/view_dump.h"

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

// Not modal; its owner keeps it and feeds it events (from the run's events
// face through the window's queue, or from a log). User-interface thread.
class EventsPanel : public QWidget {
 public:
  struct Handlers {
    // The user selected event, number serial (its place among the events
    // added since the last Clear, from 0): the owner shows the values of
    // its record (ShowValues).
    std::function<void(const ChangeEvent& event, uint64_t serial)> eventSelected;
  };

  // Columns of the list.
  enum Column : int { kTimeColumn, kUnitColumn, kParameterColumn, kChangeColumn, kColumnCount };
  // Columns of the values beside it.
  enum ValueColumn : int { kValueParameterColumn, kValueColumn, kValueColumnCount };

  EventsPanel(QWidget* parent, Handlers handlers);

  // Puts events on top of the list, in their order, so the newest is first.
  void AddEvents(std::span<const ChangeEvent> events);
  // Drops the oldest events until at most count are listed.
  void KeepNewest(size_t count);
  // Empties the list and the values (a new run, another log); the next
  // event added is number nextSerial.
  void Clear(uint64_t nextSerial = 0);

  // Shows the values at an event's record: heading says which record, tabs
  // hold each tab's rows as the window showed them, and the row at
  // (changedTab, changedRow) is the event's own (-1: none). No tabs: the
  // event has no record before it.
  void ShowValues(const QString& heading, const std::vector<DumpTab>& tabs, int changedTab, int changedRow);

  // What the window shows, for tests.
  QTreeWidget* List() const { return m_list; }
  QTreeWidget* Values() const { return m_values; }
  QString SummaryText() const;
  QString ValuesHeading() const;
  // The event a list item shows.
  const ChangeEvent& EventOf(const QTreeWidgetItem* item) const;

  // "2015-03-07 14:05:09.042".
  static QString TimeText(const LocalTime& time);
  // "Heat → Cool".
  static QString ChangeText(const ChangeEvent& event);

 private:
  void UpdateSummary();
  uint64_t SerialOf(const QTreeWidgetItem* item) const;

  Handlers m_handlers;
  QTreeWidget* m_list;
  QLabel* m_summary;
  QLabel* m_valuesHeading;
  QTreeWidget* m_values;
  // Every event listed, oldest first; serial m_firstSerial is the front.
  std::deque<ChangeEvent> m_events;
  uint64_t m_firstSerial = 0;
  size_t m_faults = 0;
};
