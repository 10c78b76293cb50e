// Drawing, axes and mouse handling of the trend chart.
#include "panels/trend_chart_view.h"

#include <QCategoryAxis>
#include <QChart>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

#include "decode/shown_params.h"
#include "decode/time_stamp.h"
#include "panels/panel_text.h"

namespace {

// Records further apart than this are not joined by a line: the line was
// quiet long enough for the window's banner, or the run stopped.
constexpr int64_t kQuietLineMs = 10'000;
// ... or further apart than this many usual intervals (a log of every Nth record).
constexpr int64_t kGapIntervals = 3;
// Each wheel notch (120 units of angle) shows this share of the range.
constexpr double kZoomPerNotch = 0.8;
constexpr double kWheelNotch = 120.0;
// Pixels between time labels, at least.
constexpr double kTimeLabelSpacingPx = 110.0;
// Room above and below the lines, as a share of their span.
constexpr double kValueMargin = 0.05;
// The least span of a value axis, in the lines' unit.
constexpr double kMinValueSpan = 1.0;
// Ticks of a value axis before nice numbers adjust them.
constexpr int kValueTicks = 5;
// Decimals a value label shows at most; spans of at least 1 need one.
constexpr int kMaxLabelDecimals = 6;
// Slack for steps such as 0.1 that binary floating point does not hold exactly.
constexpr double kStepLogSlack = 1e-9;
// The time steps labels may be apart, shortest first.
constexpr std::array<int64_t, 20> kTimeSteps = {
    kMsPerSecond,      2 * kMsPerSecond,  5 * kMsPerSecond, 10 * kMsPerSecond, 15 * kMsPerSecond,
    30 * kMsPerSecond, kMsPerMinute,      2 * kMsPerMinute, 5 * kMsPerMinute,  10 * kMsPerMinute,
    15 * kMsPerMinute, 30 * kMsPerMinute, kMsPerHour,       2 * kMsPerHour,    3 * kMsPerHour,
    6 * kMsPerHour,    12 * kMsPerHour,   kMsPerDay,        2 * kMsPerDay,     7 * kMsPerDay};

// Floor division for times before 1970 too.
int64_t FloorTo(int64_t value, int64_t step) {
  const int64_t quotient = value / step;
  return (quotient * step > value ? quotient - 1 : quotient) * step;
}

QString TickText(int64_t timeMs, int64_t stepMs) {
  const LocalTime time = WallClockTime(timeMs);
  char text[80];
  if (stepMs >= kMsPerDay) {
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", time.year, time.month, time.day);
  } else if (stepMs >= kMsPerMinute) {
    // Midnight names its day, so a range over days can be told apart.
    if (time.hour == 0 && time.minute == 0) {
      std::snprintf(text, sizeof text, "%02d-%02d 00:00", time.month, time.day);
    } else {
      std::snprintf(text, sizeof text, "%02d:%02d", time.hour, time.minute);
    }
  } else {
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour, time.minute, time.second);
  }
  return QString::fromLatin1(text);
}

// Labels with as many decimals as the step between ticks has, so that no
// two ticks read the same. Nice numbers put the ticks at multiples of 1, 2
// or 5 times a power of ten: ticks 0.5 apart read 31.0, 31.5, 32.0, where
// whole numbers would read 31, 32, 32.
void SetLabelDecimals(QValueAxis* axis) {
  const double step = (axis->max() - axis->min()) / std::max(axis->tickCount() - 1, 1);
  int decimals = 0;
  if (step > 0) {
    decimals =
        std::clamp(static_cast<int>(-std::floor(std::log10(step) + kStepLogSlack)), 0, kMaxLabelDecimals);
  }
  axis->setLabelFormat(QStringLiteral("%.") + QString::number(decimals) + QLatin1Char('f'));
}

// Sets axis to the span low to high of the lines, with a margin; 0 to 1
// when nothing is drawn on it. Lines closer together than kMinValueSpan (a
// flat line) get that much room around their middle, so that the ticks are
// a readable step apart instead of hundredths.
void FitValueAxis(QValueAxis* axis, float low, float high) {
  if (!(low <= high)) {
    axis->setRange(0, 1);
  } else {
    double bottom = low;
    double top = high;
    if (top - bottom < kMinValueSpan) {
      const double middle = (bottom + top) / 2;
      bottom = middle - kMinValueSpan / 2;
      top = middle + kMinValueSpan / 2;
    }
    const double margin = (top - bottom) * kValueMargin;
    bottom -= margin;
    top += margin;
    // Values that never go below zero (speeds, percentages) are not shown
    // against negative numbers.
    if (low >= 0 && bottom < 0) bottom = 0;
    axis->setRange(bottom, top);
  }
  // Nice numbers choose the tick count anew each time, from the default.
  axis->setTickCount(kValueTicks);
  axis->applyNiceNumbers();
  SetLabelDecimals(axis);
}

}  // namespace

TrendChartView::TrendChartView(QWidget* parent)
    : QChartView(new QChart, parent),
      m_timeAxis(new QCategoryAxis),
      m_fahrenheitAxis(new QValueAxis),
      m_otherAxis(new QValueAxis) {
  QChart* plot = chart();
  plot->legend()->setAlignment(Qt::AlignBottom);
  plot->setMargins(QMargins(4, 4, 4, 4));
  m_timeAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  m_fahrenheitAxis->setTitleText(QStringLiteral("\u00B0F"));
  m_fahrenheitAxis->setLabelFormat(QStringLiteral("%.0f"));
  m_otherAxis->setTitleText(QStringLiteral("%, speed, value"));
  m_otherAxis->setLabelFormat(QStringLiteral("%.0f"));
  plot->addAxis(m_timeAxis, Qt::AlignBottom);
  plot->addAxis(m_fahrenheitAxis, Qt::AlignLeft);
  plot->addAxis(m_otherAxis, Qt::AlignRight);
  setRenderHint(QPainter::Antialiasing, false);
  setMouseTracking(true);
  setRubberBand(QChartView::NoRubberBand);
}

TrendChartView::~TrendChartView() = default;

void TrendChartView::SetTable(const TrendTable* table) {
  m_table = table;
  RebuildSeries();
}

void TrendChartView::SetColumns(const std::vector<size_t>& columns) {
  m_columns.assign(columns.begin(),
                   columns.begin() + static_cast<std::ptrdiff_t>(std::min(columns.size(), kMaxTrendSeries)));
  RebuildSeries();
}

void TrendChartView::RebuildSeries() {
  QChart* plot = chart();
  for (QLineSeries* series : m_series) {
    plot->removeSeries(series);
    delete series;
  }
  m_series.clear();
  if (m_table == nullptr) {
    Redraw();
    return;
  }
  for (const size_t column : m_columns) {
    const TrendColumn& head = m_table->Columns().at(column);
    auto* series = new QLineSeries;
    // The outdoor unit's parameters go by their label; a unit's carry its tab.
    QString name = Windows1252ToQt(head.label);
    if (head.listIndex != kOutdoorListIndex)
      name = Windows1252ToQt(head.tabText) + QStringLiteral(" / ") + name;
    series->setName(name);
    plot->addSeries(series);
    series->attachAxis(m_timeAxis);
    series->attachAxis(head.quantity == ValueQuantity::kFahrenheit ? m_fahrenheitAxis : m_otherAxis);
    m_series.push_back(series);
  }
  Redraw();
}

void TrendChartView::ShowRange(int64_t fromMs, int64_t toMs) {
  m_fromMs = fromMs;
  m_toMs = std::max(toMs, fromMs + 1);
  Redraw();
}

void TrendChartView::Redraw() {
  // Every change of an axis makes Qt Charts map each attached line's points
  // again: the lines are emptied first and filled last, so each new point
  // is mapped once.
  for (QLineSeries* series : m_series) series->clear();
  m_drawnPoints = 0;
  float low[2] = {std::numeric_limits<float>::infinity(), std::numeric_limits<float>::infinity()};
  float high[2] = {-std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()};
  std::vector<QList<QPointF>> lines(m_series.size());
  if (m_table != nullptr) {
    const int64_t typical = m_table->TypicalIntervalMs();
    DrawRange range;
    range.fromMs = m_fromMs;
    range.toMs = m_toMs;
    range.pixelColumns = std::max(1, static_cast<int>(std::lround(chart()->plotArea().width())));
    range.maxGapMs = std::max(kQuietLineMs, kGapIntervals * typical);
    for (size_t s = 0; s < m_series.size(); ++s) {
      const size_t column = m_columns[s];
      m_points.clear();
      DownsampleMinMax(m_table->TimesMs(), m_table->Values(column), m_table->TimesAscending(), range,
                       m_points);
      const size_t axis = m_table->Columns()[column].quantity == ValueQuantity::kFahrenheit ? 0 : 1;
      QList<QPointF>& points = lines[s];
      points.reserve(static_cast<qsizetype>(m_points.size()));
      for (const TrendPoint& point : m_points) {
        points.append(QPointF(static_cast<double>(point.timeMs), point.value));
        if (point.timeMs < m_fromMs || point.timeMs > m_toMs || std::isnan(point.value)) continue;
        low[axis] = std::min(low[axis], point.value);
        high[axis] = std::max(high[axis], point.value);
      }
      m_drawnPoints += m_points.size();
    }
  }
  m_timeAxis->setRange(static_cast<double>(m_fromMs), static_cast<double>(m_toMs));
  SetTimeTicks();
  FitValueAxis(m_fahrenheitAxis, low[0], high[0]);
  FitValueAxis(m_otherAxis, low[1], high[1]);
  bool anyFahrenheit = false;
  bool anyOther = false;
  for (const size_t column : m_columns) {
    if (m_table == nullptr) break;
    (m_table->Columns()[column].quantity == ValueQuantity::kFahrenheit ? anyFahrenheit : anyOther) = true;
  }
  m_fahrenheitAxis->setVisible(anyFahrenheit || !anyOther);
  m_otherAxis->setVisible(anyOther);
  for (size_t s = 0; s < m_series.size(); ++s) m_series[s]->replace(lines[s]);
  if (m_cursorX >= 0) SetCursor(m_cursorX);
}

void TrendChartView::SetTimeTicks() {
  for (const QString& label : m_timeAxis->categoriesLabels()) m_timeAxis->remove(label);
  m_timeAxis->setStartValue(static_cast<double>(m_fromMs));
  const double widthPx = std::max(chart()->plotArea().width(), 1.0);
  const double wantedMs = static_cast<double>(m_toMs - m_fromMs) * kTimeLabelSpacingPx / widthPx;
  int64_t step = kTimeSteps.back();
  for (const int64_t candidate : kTimeSteps) {
    if (static_cast<double>(candidate) >= wantedMs) {
      step = candidate;
      break;
    }
  }
  for (int64_t tick = FloorTo(m_fromMs, step) + step; tick <= m_toMs; tick += step) {
    m_timeAxis->append(TickText(tick, step), static_cast<double>(tick));
  }
}

double TrendChartView::TimeAtX(double x) const {
  const QRectF area = chart()->plotArea();
  const double share =
      (mapToScene(QPoint(static_cast<int>(x), 0)).x() - area.left()) / std::max(area.width(), 1.0);
  return static_cast<double>(m_fromMs) + share * static_cast<double>(m_toMs - m_fromMs);
}

QString TrendChartView::TextAt(int64_t timeMs) const {
  if (m_table == nullptr || m_table->Empty()) return {};
  const std::vector<int64_t>& times = m_table->TimesMs();
  size_t nearest = 0;
  if (m_table->TimesAscending()) {
    const auto after = std::lower_bound(times.begin(), times.end(), timeMs);
    nearest = static_cast<size_t>(after - times.begin());
    if (nearest == times.size() || (nearest > 0 && timeMs - times[nearest - 1] < *after - timeMs)) --nearest;
  } else {
    for (size_t i = 1; i < times.size(); ++i) {
      if (std::llabs(times[i] - timeMs) < std::llabs(times[nearest] - timeMs)) nearest = i;
    }
  }
  QString text = TrendTimeText(times[nearest]);
  for (const size_t column : m_columns) {
    const TrendColumn& head = m_table->Columns()[column];
    text += QStringLiteral("   ") + Windows1252ToQt(head.label) + QStringLiteral(": ") +
            TrendValueText(m_table->Values(column)[nearest], head.quantity);
  }
  return text;
}

void TrendChartView::SetCursor(double x) {
  const QRectF area = chart()->plotArea();
  const double sceneX = mapToScene(QPoint(static_cast<int>(x), 0)).x();
  QString text;
  if (sceneX >= area.left() && sceneX <= area.right() && m_table != nullptr && !m_table->Empty()) {
    m_cursorX = x;
    text = TextAt(std::llround(TimeAtX(x)));
    const QString marks = EventMarksNear(x);
    if (!marks.isEmpty())
      text += QStringLiteral("   ▲ ") + QString(marks).replace(QLatin1Char('\n'), QStringLiteral("; "));
  } else {
    m_cursorX = -1;
  }
  viewport()->update();
  if (text != m_cursorText) {
    m_cursorText = text;
    if (onCursorText) onCursorText(m_cursorText);
  }
}

void TrendChartView::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / kWheelNotch;
  if (notches == 0) return;
  const double at = TimeAtX(event->position().x());
  const double factor = std::pow(kZoomPerNotch, notches);
  const double span =
      std::max(static_cast<double>(m_toMs - m_fromMs) * factor, static_cast<double>(kMinTrendSpanMs));
  const double share = (at - static_cast<double>(m_fromMs)) / static_cast<double>(m_toMs - m_fromMs);
  const auto from = static_cast<int64_t>(std::llround(at - share * span));
  ShowRange(from, from + static_cast<int64_t>(std::llround(span)));
  if (onUserRange) onUserRange();
  event->accept();
}

void TrendChartView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QChartView::mousePressEvent(event);
  m_panning = true;
  m_panStartX = event->position().x();
  m_panFromMs = m_fromMs;
  m_panToMs = m_toMs;
  setCursor(Qt::ClosedHandCursor);
  event->accept();
}

void TrendChartView::mouseMoveEvent(QMouseEvent* event) {
  if (m_panning) {
    const double msPerPx =
        static_cast<double>(m_panToMs - m_panFromMs) / std::max(chart()->plotArea().width(), 1.0);
    const auto shift = static_cast<int64_t>(std::llround((m_panStartX - event->position().x()) * msPerPx));
    ShowRange(m_panFromMs + shift, m_panToMs + shift);
    if (onUserRange) onUserRange();
  }
  SetCursor(event->position().x());
  ShowEventMarksTip(event->position().x());
  event->accept();
}

void TrendChartView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QChartView::mouseReleaseEvent(event);
  m_panning = false;
  unsetCursor();
  event->accept();
}

void TrendChartView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (onReset) onReset();
  event->accept();
}

void TrendChartView::leaveEvent(QEvent* event) {
  SetCursor(-1);
  QChartView::leaveEvent(event);
}

void TrendChartView::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  Redraw();
}

void TrendChartView::drawForeground(QPainter* painter, const QRectF& rect) {
  QChartView::drawForeground(painter, rect);
  DrawEventMarks(painter);
  if (m_cursorX < 0) return;
  const QRectF area = chart()->plotArea();
  const double sceneX = mapToScene(QPoint(static_cast<int>(m_cursorX), 0)).x();
  painter->save();
  painter->setPen(QPen(QColor(80, 80, 80), 0, Qt::DashLine));
  painter->drawLine(QPointF(sceneX, area.top()), QPointF(sceneX, area.bottom()));
  painter->restore();
}
