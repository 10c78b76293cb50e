// Fewer points for a chart that look the same: per pixel column only the
// points a line drawn through every record would reach.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// A point of a drawn line. A NaN value is a break: the line ends at the
// point before it and starts again at the point after it.
struct TrendPoint {
  int64_t timeMs = 0;
  float value = 0;
};

// What is drawn: the times at the left and right edges of the plot, the
// pixel columns between them, and the largest time between two records that
// the line still joins.
struct DrawRange {
  int64_t fromMs = 0;
  int64_t toMs = 1;  // above fromMs
  int pixelColumns = 1;
  int64_t maxGapMs = 0;
  // The first coarseRecords records stand for several records each (a
  // bounded table's older rows): a record among them, and the first one
  // after them, joins the record before it within coarseMaxGapMs instead.
  size_t coarseRecords = 0;
  int64_t coarseMaxGapMs = 0;
};

// Appends to out the points that draw values (one per record, stamped
// timesMs, in record order) over range. Within each pixel column and piece
// of line it keeps the first, lowest, highest and last point, in record
// order, so every minimum and maximum of every column is drawn and the line
// enters and leaves each column where the full line would: at most four
// points per column and piece, whatever the record count.
//
// The line breaks (a NaN point) where records lie more than
// range.maxGapMs apart or the clock went back, and around records whose
// value is NaN. When timesAscending, the records inside the range are found
// by bisection and the nearest record beyond each edge is drawn too, so the
// line runs on to the edge; otherwise every record is looked at, and only
// those inside the range are drawn. Pure; any thread.
void DownsampleMinMax(std::span<const int64_t> timesMs, std::span<const float> values, bool timesAscending,
                      const DrawRange& range, std::vector<TrendPoint>& out);
