// What the number behind a list's Value text measures, for charts.
#pragma once

#include <cstdint>

enum class ValueQuantity : uint8_t {
  kNone,        // a name, state, option or fault code: nothing to chart
  kFahrenheit,  // a temperature in degrees F
  kPercent,     // a percentage (the compressor's output)
  kNumber,      // another measured number: a speed, a valve position, a generic value
};
