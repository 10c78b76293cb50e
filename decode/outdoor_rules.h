// Decoding rules of the outdoor unit's shown status parameters.
#pragma once

#include <cstdint>
#include <string>

// The rule that makes the Value text of an outdoor status position.
enum class OutdoorRule : uint8_t {
  kNone,                // the generic text (67, Software Version)
  kCompressor,          // "Stop" or the percentage, "50 %"
  kFan,                 // "Running" or "Stop"
  kWorkingMode,         // "Cool", "Heat" or "Off"
  kFahrenheit,          // temperature in degrees F
  kTopShellFahrenheit,  // temperature in degrees F, "NA" without a sensor
  kDefrost,             // defrost state names
  kFault,               // outdoor fault texts
};

// The rule of status position p: compressor percentage, fan run state,
// working mode, temperatures in degrees F, defrost state and fault texts.
OutdoorRule OutdoorRuleAt(int p);

// Appends the Value text of value at a position with this rule: the rule's
// text, or the generic text for kNone. factor is the parameter's
// StatusParamScale.
void AppendOutdoorRuleText(OutdoorRule rule, int32_t value, double factor, std::string& out);

// Appends the number behind the text rule makes of value, for tables and
// plots: a temperature in degrees F as its text; the compressor's
// percentage, 0 when it stands still; for a name or state the value the
// control board sent; for kNone the generic number, as its text. Appends
// nothing where the text stands for no value ("NA" of a missing top shell
// sensor).
void AppendOutdoorRuleNumber(OutdoorRule rule, int32_t value, double factor, std::string& out);
