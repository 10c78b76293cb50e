// Shown-parameter sets, scale factors and list rows of the unit views.
#include "decode/shown_params.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array kShownStatusParams = {3, 5, 7, 9, 10, 11, 15, 30, 39, 67};
// Outdoor temperatures, in sixteenths of a degree Celsius.
constexpr std::array kStatusTemperatureParams = {9, 10, 11, 39};

constexpr std::array kShownUnitParams = {1, 3, 5, 6, 7, 8, 10, 11, 12, 13, 16, 17, 24, 26, 27, 39};
// Unit temperatures, in sixteenths of a degree Celsius.
constexpr std::array kUnitTemperatureParams = {5, 6, 8, 10, 11, 12, 13, 24};

template <size_t N>
bool Contains(const std::array<int, N>& set, int value) {
  return std::find(set.begin(), set.end(), value) != set.end();
}

}  // namespace

bool IsStatusParamShown(int p) { return Contains(kShownStatusParams, p); }

bool IsUnitParamShown(int t) { return Contains(kShownUnitParams, t); }

double StatusParamScale(int p) { return Contains(kStatusTemperatureParams, p) ? kSixteenthScale : 1.0; }

double UnitParamScale(int t) { return Contains(kUnitTemperatureParams, t) ? kSixteenthScale : 1.0; }

std::vector<std::vector<ShownRow>> ListRows(const RecordLayout& layout) {
  const int unitCount = layout.numDevices < 0 ? 0 : layout.numDevices;
  std::vector<std::vector<ShownRow>> lists(static_cast<size_t>(unitCount) + 1);
  ForEachShownRow(layout, [&](int listIndex, int, const ShownRow& row) {
    lists[listIndex].push_back(row);
    return true;
  });
  return lists;
}
