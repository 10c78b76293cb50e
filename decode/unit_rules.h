// Decoding rules of the indoor and ZIZU units' shown parameters.
#pragma once

#include <cstdint>
#include <string>

#include "decode/row_event_kind.h"
#include "decode/value_quantity.h"

// The rule that makes the Value text of a unit's record position.
enum class UnitRule : uint8_t {
  kNone,         // the generic text
  kMode,         // working mode names
  kValve,        // expansion valve "Open" or "Closed"
  kPlaceholder,  // "-" for a parameter the unit does not have
  kOption,       // I Feel Mode "Enabled" or "Disabled", lowest bit
  kFahrenheit,   // temperature in degrees F
  kPumpStatus,   // ZIZU water pump "Running" or "OFF"
  kIndoorFault,  // indoor diagnostic level texts
  kZizuFault,    // ZIZU diagnostic level texts
};

// The rule that sets the text at absolute record position q. The rules sit
// at fixed positions whatever the layout (those of the default layout of 69
// status values and 40 per unit): units 0 to 2 get the indoor rules,
// positions 190 to 215 the ZIZU rules. Where two rules match a position, the
// later one in their fixed order sets the text, so it is the one returned
// (the ZIZU "-" at 197, 199, 201 and 202, over the temperature rule).
UnitRule UnitRuleAt(int64_t q);

// Appends the Value text of value at a position with this rule: the rule's
// text, or the generic text for kNone. factor is UnitParamScale of the
// parameter.
void AppendUnitRuleText(UnitRule rule, int32_t value, double factor, std::string& out);

// Appends the number behind the text rule makes of value, for tables and
// plots: a temperature in degrees F as its text; I Feel Mode 1 (Enabled) or
// 0 (Disabled); for another name or state the value the control board sent;
// for kNone the generic number, as its text. Appends nothing for "-", which
// stands for no value.
void AppendUnitRuleNumber(UnitRule rule, int32_t value, double factor, std::string& out);

// What the numbers of rule measure: kFahrenheit for the temperatures,
// kNumber for the valve position, the pump's speed and the generic values,
// kNone for modes, options, faults and "-".
ValueQuantity UnitRuleQuantity(UnitRule rule);

// How a row of rule takes part in events: kState for the modes, the valve,
// I Feel Mode and the pump, kFault for the indoor and ZIZU fault texts,
// kNone for the temperatures, "-" and the generic values.
RowEventKind UnitRuleEventKind(UnitRule rule);

// The number a chart draws for value at a position with this rule, unrounded:
// the temperature in degrees F as the single-precision number its text is
// rounded from, value * factor for kNone, the value the control board sent
// for the valve and the pump. NaN for "-", which stands for no value. Other
// rules of ValueQuantity::kNone give the code sent (I Feel Mode 1 or 0).
double UnitRuleValue(UnitRule rule, int32_t value, double factor);
