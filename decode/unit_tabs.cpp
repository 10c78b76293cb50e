// Tab texts of the unit views and their insertion order.
#include "decode/unit_tabs.h"

#include <algorithm>

namespace {
// Tab i of 2 to N - 1 is "INDOOR " and the letter with code 64 + i (B, C, ...).
constexpr int kIndoorLetterBase = 64;
}  // namespace

std::vector<TabInsertion> UnitTabInsertions(int numDevices) {
  std::vector<TabInsertion> tabs = {{0, "OUTDOOR"}, {1, "INDOOR A / HK"}};
  for (int i = 2; i < numDevices; ++i) {
    tabs.push_back({i, std::string("INDOOR ") + static_cast<char>(kIndoorLetterBase + i)});
  }
  tabs.push_back({numDevices, "ZIZU"});
  return tabs;
}

std::vector<std::string> UnitTabTexts(int numDevices) {
  std::vector<std::string> texts;
  for (TabInsertion& tab : UnitTabInsertions(numDevices)) {
    if (tab.index < 0) continue;  // the tab control refuses it
    const auto index = std::min(static_cast<size_t>(tab.index), texts.size());
    texts.insert(texts.begin() + static_cast<std::ptrdiff_t>(index), std::move(tab.text));
  }
  return texts;
}
