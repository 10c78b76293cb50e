// Shown-parameter sets, scale factors and list rows of the unit views.
#include "decode/shown_params.h"

#include <array>

namespace {

constexpr std::array kShownStatusParams = {3, 5, 7, 9, 10, 11, 15, 30, 39, 67};
// Outdoor temperatures, in sixteenths of a degree Celsius.
constexpr std::array kStatusTemperatureParams = {9, 10, 11, 39};

constexpr std::array kShownUnitParams = {1, 3, 5, 6, 7, 8, 10, 11, 12, 13, 16, 17, 24, 26, 27, 39};
// Unit temperatures, in sixteenths of a degree Celsius.
constexpr std::array kUnitTemperatureParams = {5, 6, 8, 10, 11, 12, 13, 24};

// Membership of the indices 0 to Size - 1 in a set, for a lookup per index.
template <size_t Size, size_t N>
constexpr std::array<bool, Size> MembershipOf(const std::array<int, N>& set) {
  std::array<bool, Size> members{};
  for (const int index : set) members[static_cast<size_t>(index)] = true;
  return members;
}

constexpr auto kStatusParamShown = MembershipOf<kStatusParamsShownBelow>(kShownStatusParams);
constexpr auto kStatusParamIsTemperature = MembershipOf<kStatusParamsShownBelow>(kStatusTemperatureParams);
constexpr auto kUnitParamShown = MembershipOf<kUnitParamsShownBelow>(kShownUnitParams);
constexpr auto kUnitParamIsTemperature = MembershipOf<kUnitParamsShownBelow>(kUnitTemperatureParams);

template <size_t Size>
bool IsMember(const std::array<bool, Size>& members, int index) {
  return index >= 0 && static_cast<size_t>(index) < Size && members[static_cast<size_t>(index)];
}

}  // namespace

bool IsStatusParamShown(int p) { return IsMember(kStatusParamShown, p); }

bool IsUnitParamShown(int t) { return IsMember(kUnitParamShown, t); }

double StatusParamScale(int p) { return IsMember(kStatusParamIsTemperature, p) ? kSixteenthScale : 1.0; }

double UnitParamScale(int t) { return IsMember(kUnitParamIsTemperature, t) ? kSixteenthScale : 1.0; }

std::vector<std::vector<ShownRow>> ListRows(const RecordLayout& layout) {
  const int unitCount = layout.numDevices < 0 ? 0 : layout.numDevices;
  std::vector<std::vector<ShownRow>> lists(static_cast<size_t>(unitCount) + 1);
  ForEachShownRow(layout, [&](int listIndex, int, const ShownRow& row) {
    lists[listIndex].push_back(row);
    return true;
  });
  return lists;
}
