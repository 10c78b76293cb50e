// Decoding rules of the outdoor unit's shown status parameters.
#pragma once

#include <cstdint>
#include <string>

#include "decode/row_event_kind.h"
#include "decode/value_quantity.h"

// Status positions that have a rule.
inline constexpr int kCompressorParam = 3;
inline constexpr int kFanParam = 5;
inline constexpr int kWorkingModeParam = 7;
inline constexpr int kDischargeTemperatureParam = 9;
inline constexpr int kOutdoorAirTemperatureParam = 10;
inline constexpr int kOutdoorCoilTemperatureParam = 11;
inline constexpr int kDefrostStatusParam = 15;
inline constexpr int kDiagnosticLevelParam = 30;
inline constexpr int kTopShellTemperatureParam = 39;

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

// What the numbers of rule measure: kFahrenheit for the temperatures,
// kPercent for the compressor, kNumber for the fan's speed and the generic
// values, kNone for the working mode, defrost state and faults.
ValueQuantity OutdoorRuleQuantity(OutdoorRule rule);

// How a row of rule takes part in events: kRunning for the compressor,
// kState for the fan, the working mode and the defrost state, kFault for the
// fault texts, kNone for the temperatures and the generic values.
RowEventKind OutdoorRuleEventKind(OutdoorRule rule);

// The number a chart draws for value at a position with this rule, unrounded:
// the temperature in degrees F as the single-precision number its text is
// rounded from, the compressor's percentage (0 when it stands still), the
// fan's value, value * factor for kNone. NaN where the text stands for no
// value ("NA" of a missing top shell sensor). Rules of ValueQuantity::kNone
// give the code the control board sent.
double OutdoorRuleValue(OutdoorRule rule, int32_t value, double factor);
