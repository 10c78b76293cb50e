// Events on the trend chart's time axis: a thin line at each event's time,
// coloured by its severity, with its text shown when the cursor is near.
#pragma once

#include <QColor>
#include <QString>
#include <cstdint>

#include "decode/change_event.h"

// The cursor shows the marks this close to it, in pixels.
inline constexpr double kEventMarkHoverPx = 4.0;

struct TrendEventMark {
  int64_t timeMs = 0;
  EventSeverity severity = EventSeverity::kState;
  // "14:05:09 OUTDOOR / Compressor: 100 % → Stop".
  QString text;
};

TrendEventMark TrendEventMarkOf(const ChangeEvent& event);
// The line's colour: faults red, their end green, other changes grey-blue.
QColor TrendEventMarkColour(EventSeverity severity);
