// The tabs of the unit views: their texts and the order they are inserted in.
#pragma once

#include <string>
#include <vector>

// One tab insertion: text inserted at index among the tabs present at that
// moment (an index past the last tab appends; a negative one inserts
// nothing).
struct TabInsertion {
  int index = 0;
  std::string text;
};

// The insertions that make the tabs for numDevices units, in order:
// "OUTDOOR" at 0, "INDOOR A / HK" at 1, "INDOOR B", "INDOOR C", ... at 2 to
// numDevices - 1, and "ZIZU" at numDevices. Since each index counts the tabs
// present then, for numDevices below 2 "ZIZU" lands before tabs inserted
// earlier.
std::vector<TabInsertion> UnitTabInsertions(int numDevices);

// The texts of the tabs those insertions leave, by tab index. List L (the
// outdoor list 0, unit u's list u + 1) is attached to tab L, so its text is
// element L: OUTDOOR, INDOOR A / HK, INDOOR B, INDOOR C, ZIZU for 4 units;
// OUTDOOR, ZIZU, INDOOR A / HK for 1 unit (unit 0 is on ZIZU).
std::vector<std::string> UnitTabTexts(int numDevices);
