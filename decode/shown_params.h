// Which record parameters the unit lists show, their scale factors, and the
// list rows a layout gives.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "config/record_layout.h"

// Scale factor of the temperatures, which arrive in sixteenths of a degree
// Celsius; exact in binary.
inline constexpr double kSixteenthScale = 1.0 / 16.0;

// True for the outdoor status parameters that get a row in the outdoor list
// (3, 5, 7, 9, 10, 11, 15, 30, 39, 67). Callers ask only for p below the
// layout's status count.
bool IsStatusParamShown(int p);

// True for the unit parameters that get a row in each unit list (1, 3, 5, 6,
// 7, 8, 10, 11, 12, 13, 16, 17, 24, 26, 27, 39). Callers ask only for t below
// the layout's unit parameter count.
bool IsUnitParamShown(int t);

// Factor a shown outdoor value is multiplied by before it is formatted:
// kSixteenthScale for the temperatures, 1 otherwise.
double StatusParamScale(int p);

// Factor a shown unit value is multiplied by before it is formatted:
// kSixteenthScale for the temperatures, 1 otherwise.
double UnitParamScale(int t);

// One row of a list: the record position whose value it shows and the
// parameter index (p for the outdoor list, t for a unit list) that picks its
// label and scale factor.
struct ShownRow {
  int64_t position = 0;
  int param = 0;
};

// Index of the outdoor list among the lists; unit u's list is u + 1.
inline constexpr int kOutdoorListIndex = 0;

// Rows of every list for a layout, in row order: element 0 the outdoor list,
// element u + 1 unit u's list (numDevices + 1 lists, so the caller limits a
// configured unit count to the lists it can have before asking). Each list
// has one row per shown parameter in ascending parameter order; the device
// views create exactly these rows and DecodeRecord fills them.
std::vector<std::vector<ShownRow>> ListRows(const RecordLayout& layout);

// No parameter at or above these indices is shown, so walks over a layout
// stop there whatever counts the configuration gives.
inline constexpr int kStatusParamsShownBelow = 68;
inline constexpr int kUnitParamsShownBelow = 40;

// Visits the rows of ListRows in the order the record is handled (outdoor
// list, then unit 0, 1, ...; rows ascending), calling
// visit(listIndex, row, shownRow) until it returns false. Returns false when
// the visit was stopped, true when every row was visited. Units are skipped
// altogether when their blocks hold no shown parameter.
template <typename Visit>
bool ForEachShownRow(const RecordLayout& layout, Visit&& visit) {
  const int statusEnd = std::min(layout.statusParams, kStatusParamsShownBelow);
  for (int p = 0, row = 0; p < statusEnd; ++p) {
    if (IsStatusParamShown(p) && !visit(kOutdoorListIndex, row++, ShownRow{p, p})) {
      return false;
    }
  }
  const int unitEnd = std::min(layout.acParams, kUnitParamsShownBelow);
  bool unitHasRows = false;
  for (int t = 0; t < unitEnd; ++t) {
    unitHasRows = unitHasRows || IsUnitParamShown(t);
  }
  if (!unitHasRows) {
    return true;
  }
  const int64_t unitBase = std::max(layout.statusParams, 0);
  for (int u = 0; u < layout.numDevices; ++u) {
    const int64_t blockStart = unitBase + int64_t{layout.acParams} * u;
    for (int t = 0, row = 0; t < unitEnd; ++t) {
      if (IsUnitParamShown(t) && !visit(u + 1, row++, ShownRow{blockStart + t, t})) {
        return false;
      }
    }
  }
  return true;
}
