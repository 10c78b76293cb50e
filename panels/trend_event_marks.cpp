// The trend chart's event marks: what they say, how they look, where they
// are drawn and which the cursor is near.
#include "panels/trend_event_marks.h"

#include <QPainter>
#include <QToolTip>
#include <cmath>
#include <cstdio>

#include "decode/time_stamp.h"
#include "panels/panel_text.h"
#include "panels/trend_chart_view.h"

namespace {

// The small flag atop each mark's line, in pixels.
constexpr double kFlagSidePx = 6.0;

}  // namespace

TrendEventMark TrendEventMarkOf(const ChangeEvent& event) {
  char time[16];
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", event.time.hour, event.time.minute, event.time.second);
  QString text = QString::fromLatin1(time) + QLatin1Char(' ');
  if (!event.tab.empty()) text += Windows1252ToQt(event.tab) + QStringLiteral(" / ");
  text += Windows1252ToQt(event.parameter) + QStringLiteral(": ") + Windows1252ToQt(event.before) +
          QStringLiteral(" \u2192 ") + Windows1252ToQt(event.after);
  return TrendEventMark{event.timeMs, event.severity, text};
}

QColor TrendEventMarkColour(EventSeverity severity) {
  switch (severity) {
    case EventSeverity::kFault:
      return QColor(0xC0, 0x00, 0x00);
    case EventSeverity::kCleared:
      return QColor(0x1B, 0x80, 0x1B);
    case EventSeverity::kState:
      break;
  }
  return QColor(0x55, 0x6B, 0x8C);
}

void TrendChartView::AddEventMarks(std::span<const ChangeEvent> events) {
  for (const ChangeEvent& event : events) m_marks.push_back(TrendEventMarkOf(event));
  viewport()->update();
}

void TrendChartView::ClearEventMarks() {
  m_marks.clear();
  viewport()->update();
}

double TrendChartView::SceneXOfTime(int64_t timeMs) const {
  const QRectF area = chart()->plotArea();
  return area.left() +
         static_cast<double>(timeMs - m_fromMs) / static_cast<double>(m_toMs - m_fromMs) * area.width();
}

QString TrendChartView::EventMarksNear(double x) const {
  const QRectF area = chart()->plotArea();
  const double sceneX = mapToScene(QPoint(static_cast<int>(x), 0)).x();
  QString text;
  if (sceneX < area.left() - kEventMarkHoverPx || sceneX > area.right() + kEventMarkHoverPx) return text;
  for (const TrendEventMark& mark : m_marks) {
    if (mark.timeMs < m_fromMs || mark.timeMs > m_toMs) continue;
    if (std::abs(SceneXOfTime(mark.timeMs) - sceneX) > kEventMarkHoverPx) continue;
    if (!text.isEmpty()) text += QLatin1Char('\n');
    text += mark.text;
  }
  return text;
}

void TrendChartView::DrawEventMarks(QPainter* painter) const {
  const QRectF area = chart()->plotArea();
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing, false);
  for (const TrendEventMark& mark : m_marks) {
    if (mark.timeMs < m_fromMs || mark.timeMs > m_toMs) continue;
    const double x = SceneXOfTime(mark.timeMs);
    const QColor colour = TrendEventMarkColour(mark.severity);
    painter->setPen(QPen(colour, mark.severity == EventSeverity::kFault ? 2 : 1,
                         mark.severity == EventSeverity::kState ? Qt::DashLine : Qt::SolidLine));
    painter->drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    // A flag on top, so that a mark over a line of the same colour is seen.
    const QPointF flag[3] = {QPointF(x - kFlagSidePx / 2, area.top()),
                             QPointF(x + kFlagSidePx / 2, area.top()), QPointF(x, area.top() + kFlagSidePx)};
    painter->setPen(Qt::NoPen);
    painter->setBrush(colour);
    painter->drawPolygon(flag, 3);
  }
  painter->restore();
}

void TrendChartView::ShowEventMarksTip(double x) {
  const QString marks = EventMarksNear(x);
  if (marks.isEmpty()) {
    QToolTip::hideText();
  } else {
    QToolTip::showText(mapToGlobal(QPoint(static_cast<int>(x), static_cast<int>(chart()->plotArea().top()))),
                       marks, this);
  }
}
