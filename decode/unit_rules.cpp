// Indoor and ZIZU unit texts: modes, valve, options, temperatures, pump, faults.
#include "decode/unit_rules.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "decode/display_text.h"

namespace {

struct PositionRule {
  int64_t position;
  UnitRule rule;
};

// Every rule with its position, in the order the rules are applied. Only the
// temperature rule at 197, 199, 201 and 202 is followed by another match there
// (the ZIZU "-"), which therefore wins.
constexpr PositionRule kUnitRules[] = {
    // Working mode of units 0 to 3.
    {70, UnitRule::kMode},
    {110, UnitRule::kMode},
    {150, UnitRule::kMode},
    {190, UnitRule::kMode},
    // ZIZU parameters 3, 6 and 7.
    {192, UnitRule::kPlaceholder},
    {195, UnitRule::kFahrenheit},
    {196, UnitRule::kPlaceholder},
    // Indoor expansion valve (parameter 3), "-" (6), I Feel Mode (7).
    {72, UnitRule::kValve},
    {112, UnitRule::kValve},
    {152, UnitRule::kValve},
    {75, UnitRule::kPlaceholder},
    {115, UnitRule::kPlaceholder},
    {155, UnitRule::kPlaceholder},
    {76, UnitRule::kOption},
    {116, UnitRule::kOption},
    {156, UnitRule::kOption},
    // Temperatures of parameters 5, 8, 10, 11, 12, 13 and 24 of units 0 to 3.
    {74, UnitRule::kFahrenheit},
    {77, UnitRule::kFahrenheit},
    {79, UnitRule::kFahrenheit},
    {80, UnitRule::kFahrenheit},
    {81, UnitRule::kFahrenheit},
    {82, UnitRule::kFahrenheit},
    {93, UnitRule::kFahrenheit},
    {114, UnitRule::kFahrenheit},
    {117, UnitRule::kFahrenheit},
    {119, UnitRule::kFahrenheit},
    {120, UnitRule::kFahrenheit},
    {121, UnitRule::kFahrenheit},
    {122, UnitRule::kFahrenheit},
    {133, UnitRule::kFahrenheit},
    {154, UnitRule::kFahrenheit},
    {157, UnitRule::kFahrenheit},
    {159, UnitRule::kFahrenheit},
    {160, UnitRule::kFahrenheit},
    {161, UnitRule::kFahrenheit},
    {162, UnitRule::kFahrenheit},
    {173, UnitRule::kFahrenheit},
    {194, UnitRule::kFahrenheit},
    {197, UnitRule::kFahrenheit},
    {199, UnitRule::kFahrenheit},
    {200, UnitRule::kFahrenheit},
    {201, UnitRule::kFahrenheit},
    {202, UnitRule::kFahrenheit},
    {213, UnitRule::kFahrenheit},
    // ZIZU parameters 8, 10, 12 and 13, then its pump (17) and faults (26).
    {197, UnitRule::kPlaceholder},
    {199, UnitRule::kPlaceholder},
    {201, UnitRule::kPlaceholder},
    {202, UnitRule::kPlaceholder},
    {206, UnitRule::kPumpStatus},
    {215, UnitRule::kZizuFault},
    // Indoor faults (parameter 26) of units 0 to 2.
    {95, UnitRule::kIndoorFault},
    {135, UnitRule::kIndoorFault},
    {175, UnitRule::kIndoorFault},
};

// Pump values from this on mean the ZIZU water pump runs.
constexpr int32_t kPumpRunningMin = 5;

// I Feel Mode is on when the lowest bit of its value is set.
bool OptionEnabled(int32_t value) { return (value & 1) != 0; }

std::string_view ModeText(int32_t value) {
  switch (value) {
    case 1:
      return "Cool";
    case 2:
      return "Dry";
    case 3:
      return "Heat";
    case 4:
      return "Fan";
    default:
      return "Off";
  }
}

// Fault texts 0 to 8 of an indoor unit; other levels read "Fault".
constexpr std::array<const char*, 9> kIndoorFaultTexts = {
    "NO Fault",
    "Error detected on outdoor unit",
    "Float switch alarm",
    "No Communication with outdoor unit",
    "Indoor Coil sensor damaged",
    "Room Air sensor damaged",
    "No communication with the blower or blower damaged",
    "Blower blocked or outlets closed",
    "Wrong indoor/outdoor units combination",
};

// Fault texts 0 to 8 of the ZIZU unit; other levels read "Fault".
constexpr std::array<const char*, 9> kZizuFaultTexts = {
    "NO Fault",
    "Error detected on outdoor unit",
    "Water switch alarm",
    "No Communication with outdoor unit",
    "Outlet Coil sensor damaged",
    "Water sensor damaged",
    "Auxiliary Water sensor damaged",
    "Water pump disconnected or damaged",
    "Wrong indoor/outdoor units combination",
};

template <size_t N>
std::string_view FaultText(const std::array<const char*, N>& texts, int32_t value) {
  if (value >= 0 && value < static_cast<int32_t>(N)) {
    return texts[value];
  }
  return "Fault";
}

// One past the highest position that has a rule.
constexpr int64_t kRuledPositionEnd = [] {
  int64_t end = 0;
  for (const PositionRule& entry : kUnitRules) end = std::max(end, entry.position + 1);
  return end;
}();

// The rule that sets the text at each position below kRuledPositionEnd: the
// last entry of kUnitRules there, since every rule replaces the text whole.
constexpr std::array<UnitRule, kRuledPositionEnd> kFinalRules = [] {
  std::array<UnitRule, kRuledPositionEnd> rules{};
  for (const PositionRule& entry : kUnitRules) rules[entry.position] = entry.rule;
  return rules;
}();

}  // namespace

UnitRule UnitRuleAt(int64_t q) { return q >= 0 && q < kRuledPositionEnd ? kFinalRules[q] : UnitRule::kNone; }

void AppendUnitRuleText(UnitRule rule, int32_t value, double factor, std::string& out) {
  switch (rule) {
    case UnitRule::kNone:
      AppendGenericText(value, factor, out);
      break;
    case UnitRule::kMode:
      out += ModeText(value);
      break;
    case UnitRule::kValve:
      out += value > 0 ? "Open" : "Closed";
      break;
    case UnitRule::kPlaceholder:
      out += "-";
      break;
    case UnitRule::kOption:
      out += OptionEnabled(value) ? "Enabled" : "Disabled";
      break;
    case UnitRule::kFahrenheit:
      AppendFahrenheitText(value, factor, out);
      break;
    case UnitRule::kPumpStatus:
      out += value >= kPumpRunningMin ? "Running" : "OFF";
      break;
    case UnitRule::kIndoorFault:
      out += FaultText(kIndoorFaultTexts, value);
      break;
    case UnitRule::kZizuFault:
      out += FaultText(kZizuFaultTexts, value);
      break;
  }
}

void AppendUnitRuleNumber(UnitRule rule, int32_t value, double factor, std::string& out) {
  switch (rule) {
    case UnitRule::kNone:
      AppendGenericText(value, factor, out);
      break;
    case UnitRule::kFahrenheit:
      AppendFahrenheitText(value, factor, out);
      break;
    case UnitRule::kOption:
      out.push_back(OptionEnabled(value) ? '1' : '0');
      break;
    case UnitRule::kPlaceholder:
      break;  // the unit has no such parameter
    case UnitRule::kMode:
    case UnitRule::kValve:
    case UnitRule::kPumpStatus:
    case UnitRule::kIndoorFault:
    case UnitRule::kZizuFault:
      AppendDecimal(value, out);
      break;
  }
}

ValueQuantity UnitRuleQuantity(UnitRule rule) {
  switch (rule) {
    case UnitRule::kFahrenheit:
      return ValueQuantity::kFahrenheit;
    case UnitRule::kNone:
    case UnitRule::kValve:
    case UnitRule::kPumpStatus:
      return ValueQuantity::kNumber;
    case UnitRule::kMode:
    case UnitRule::kPlaceholder:
    case UnitRule::kOption:
    case UnitRule::kIndoorFault:
    case UnitRule::kZizuFault:
      break;
  }
  return ValueQuantity::kNone;
}

RowEventKind UnitRuleEventKind(UnitRule rule) {
  switch (rule) {
    case UnitRule::kMode:
    case UnitRule::kValve:
    case UnitRule::kOption:
    case UnitRule::kPumpStatus:
      return RowEventKind::kState;
    case UnitRule::kIndoorFault:
    case UnitRule::kZizuFault:
      return RowEventKind::kFault;
    case UnitRule::kNone:
    case UnitRule::kPlaceholder:
    case UnitRule::kFahrenheit:
      break;
  }
  return RowEventKind::kNone;
}

double UnitRuleValue(UnitRule rule, int32_t value, double factor) {
  switch (rule) {
    case UnitRule::kNone:
      return value * factor;
    case UnitRule::kFahrenheit:
      return FahrenheitValue(value, factor);
    case UnitRule::kPlaceholder:
      return std::nan("");
    case UnitRule::kOption:
      return OptionEnabled(value) ? 1.0 : 0.0;
    case UnitRule::kMode:
    case UnitRule::kValve:
    case UnitRule::kPumpStatus:
    case UnitRule::kIndoorFault:
    case UnitRule::kZizuFault:
      break;
  }
  return value;
}
