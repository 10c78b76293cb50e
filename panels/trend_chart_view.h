// A chart of some numeric columns of a TrendTable over a time range: one
// line per column, drawn from the min/max points of each pixel column, so
// that a day of records draws as fast as a minute. Wall-clock time runs
// along the bottom; temperatures (°F) are read on the left axis, everything
// else (percentages, speeds) on the right one.
#pragma once

#include <QChartView>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "decode/min_max_downsampler.h"
#include "decode/trend_table.h"
#include "panels/trend_event_marks.h"

class QCategoryAxis;
class QLineSeries;
class QValueAxis;

// Lines a chart draws at most.
inline constexpr size_t kMaxTrendSeries = 6;
// The narrowest time range the mouse zooms to.
inline constexpr int64_t kMinTrendSpanMs = 10'000;

// The mouse: the wheel zooms the time axis around the cursor, a drag with
// the left button pans it, a double click asks for the reset (onReset). The
// value axes always fit the lines inside the range. User-interface thread.
class TrendChartView : public QChartView {
 public:
  explicit TrendChartView(QWidget* parent = nullptr);
  ~TrendChartView() override;

  // The records drawn; null draws nothing. The table must stay unchanged
  // between calls to Redraw, and outlive the view or be replaced first.
  void SetTable(const TrendTable* table);
  const TrendTable* Table() const { return m_table; }
  // Columns of the table to draw, the first kMaxTrendSeries of them.
  void SetColumns(const std::vector<size_t>& columns);
  const std::vector<size_t>& Columns() const { return m_columns; }

  // Shows the time range (wall-clock milliseconds, see WallClockMs) and
  // draws it.
  void ShowRange(int64_t fromMs, int64_t toMs);
  int64_t FromMs() const { return m_fromMs; }
  int64_t ToMs() const { return m_toMs; }
  // Draws the range again, as after new records.
  void Redraw();

  // Points handed to the lines in the last Redraw, all lines together.
  size_t DrawnPointCount() const { return m_drawnPoints; }
  // The records and values at the cursor, "" when it is off the plot.
  QString CursorText() const { return m_cursorText; }
  // The text the cursor shows at time timeMs (the record nearest to it).
  QString TextAt(int64_t timeMs) const;

  // Events marked on the time axis (trend_event_marks.cpp): a thin line
  // each, coloured by severity; the cursor near one shows its text.
  void AddEventMarks(std::span<const ChangeEvent> events);
  void ClearEventMarks();
  size_t EventMarkCount() const { return m_marks.size(); }
  // The texts of the marks within kEventMarkHoverPx of widget x, one per
  // line; "" when none.
  QString EventMarksNear(double x) const;

  // Called after the user moved or zoomed the range with the mouse.
  std::function<void()> onUserRange;
  // Called on a double click.
  std::function<void()> onReset;
  // Called when the cursor's text changes.
  std::function<void(const QString&)> onCursorText;

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void drawForeground(QPainter* painter, const QRectF& rect) override;

 private:
  // The time at widget x, by the plot area's current mapping.
  double TimeAtX(double x) const;
  void SetTimeTicks();
  void SetCursor(double x);
  void RebuildSeries();
  // The scene x of time timeMs in the current range.
  double SceneXOfTime(int64_t timeMs) const;
  void DrawEventMarks(QPainter* painter) const;
  // A tooltip with the texts of the marks near widget x, or none.
  void ShowEventMarksTip(double x);

  const TrendTable* m_table = nullptr;
  std::vector<size_t> m_columns;
  std::vector<QLineSeries*> m_series;  // by m_columns; owned by the chart
  QCategoryAxis* m_timeAxis;
  QValueAxis* m_fahrenheitAxis;
  QValueAxis* m_otherAxis;
  int64_t m_fromMs = 0;
  int64_t m_toMs = kMinTrendSpanMs;
  std::vector<TrendPoint> m_points;  // reused by every Redraw
  size_t m_drawnPoints = 0;
  // A pan in progress: where it started and the range then.
  bool m_panning = false;
  double m_panStartX = 0;
  int64_t m_panFromMs = 0;
  int64_t m_panToMs = 0;
  double m_cursorX = -1;  // widget x of the cursor line; < 0: none
  QString m_cursorText;
  std::vector<TrendEventMark> m_marks;  // in the order added
};
