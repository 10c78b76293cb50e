// A numeric option's check that tells a word from a number out of range:
// "--speed abc" is "abc is not a number", "--speed -1" is "-1 is not in
// range 0 to 1000000".
#pragma once

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

// A bound as a person writes it: 0.001, 1000000.
inline std::string PlainNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

inline CLI::Validator NumberInRange(double min, double max) {
  const std::string range = PlainNumber(min) + " to " + PlainNumber(max);
  return CLI::Validator(
      [range, min, max](std::string& input) -> std::string {
        double value = 0.0;
        if (!CLI::detail::lexical_cast(input, value)) return input + " is not a number";
        if (value < min || value > max) return input + " is not in range " + range;
        return {};
      },
      "NUMBER in [" + range + "]");
}
