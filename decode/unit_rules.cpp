// Indoor and ZIZU unit texts: modes, valve, options, temperatures, pump, faults.
#include "decode/unit_rules.h"

#include <array>

#include "decode/display_text.h"

namespace {

enum class UnitRule : uint8_t {
  Mode,         // working mode names
  Valve,        // expansion valve open or closed
  Placeholder,  // "-" for a parameter the unit does not have
  Option,       // I Feel Mode, lowest bit
  Fahrenheit,   // temperature in degrees F
  PumpStatus,   // ZIZU water pump
  IndoorFault,  // indoor diagnostic level
  ZizuFault,    // ZIZU diagnostic level
};

struct PositionRule {
  int64_t position;
  UnitRule rule;
};

// Every rule with its position, in the order the rules are applied. Only the
// temperature rule at 197, 199, 201 and 202 is followed by another match there
// (the ZIZU "-"), which therefore wins.
constexpr PositionRule kUnitRules[] = {
    // Working mode of units 0 to 3.
    {70, UnitRule::Mode},
    {110, UnitRule::Mode},
    {150, UnitRule::Mode},
    {190, UnitRule::Mode},
    // ZIZU parameters 3, 6 and 7.
    {192, UnitRule::Placeholder},
    {195, UnitRule::Fahrenheit},
    {196, UnitRule::Placeholder},
    // Indoor expansion valve (parameter 3), "-" (6), I Feel Mode (7).
    {72, UnitRule::Valve},
    {112, UnitRule::Valve},
    {152, UnitRule::Valve},
    {75, UnitRule::Placeholder},
    {115, UnitRule::Placeholder},
    {155, UnitRule::Placeholder},
    {76, UnitRule::Option},
    {116, UnitRule::Option},
    {156, UnitRule::Option},
    // Temperatures of parameters 5, 8, 10, 11, 12, 13 and 24 of units 0 to 3.
    {74, UnitRule::Fahrenheit},
    {77, UnitRule::Fahrenheit},
    {79, UnitRule::Fahrenheit},
    {80, UnitRule::Fahrenheit},
    {81, UnitRule::Fahrenheit},
    {82, UnitRule::Fahrenheit},
    {93, UnitRule::Fahrenheit},
    {114, UnitRule::Fahrenheit},
    {117, UnitRule::Fahrenheit},
    {119, UnitRule::Fahrenheit},
    {120, UnitRule::Fahrenheit},
    {121, UnitRule::Fahrenheit},
    {122, UnitRule::Fahrenheit},
    {133, UnitRule::Fahrenheit},
    {154, UnitRule::Fahrenheit},
    {157, UnitRule::Fahrenheit},
    {159, UnitRule::Fahrenheit},
    {160, UnitRule::Fahrenheit},
    {161, UnitRule::Fahrenheit},
    {162, UnitRule::Fahrenheit},
    {173, UnitRule::Fahrenheit},
    {194, UnitRule::Fahrenheit},
    {197, UnitRule::Fahrenheit},
    {199, UnitRule::Fahrenheit},
    {200, UnitRule::Fahrenheit},
    {201, UnitRule::Fahrenheit},
    {202, UnitRule::Fahrenheit},
    {213, UnitRule::Fahrenheit},
    // ZIZU parameters 8, 10, 12 and 13, then its pump (17) and faults (26).
    {197, UnitRule::Placeholder},
    {199, UnitRule::Placeholder},
    {201, UnitRule::Placeholder},
    {202, UnitRule::Placeholder},
    {206, UnitRule::PumpStatus},
    {215, UnitRule::ZizuFault},
    // Indoor faults (parameter 26) of units 0 to 2.
    {95, UnitRule::IndoorFault},
    {135, UnitRule::IndoorFault},
    {175, UnitRule::IndoorFault},
};

// Pump values from this on mean the ZIZU water pump runs.
constexpr int32_t kPumpRunningMin = 5;

std::string ModeText(int32_t value) {
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
std::string FaultText(const std::array<const char*, N>& texts, int32_t value) {
  if (value >= 0 && value < static_cast<int32_t>(N)) {
    return texts[value];
  }
  return "Fault";
}

std::string RuleText(UnitRule rule, int32_t value, double factor) {
  switch (rule) {
    case UnitRule::Mode:
      return ModeText(value);
    case UnitRule::Valve:
      return value > 0 ? "Open" : "Closed";
    case UnitRule::Placeholder:
      return "-";
    case UnitRule::Option:
      return (value & 1) != 0 ? "Enabled" : "Disabled";
    case UnitRule::Fahrenheit:
      return FahrenheitText(value, factor);
    case UnitRule::PumpStatus:
      return value >= kPumpRunningMin ? "Running" : "OFF";
    case UnitRule::IndoorFault:
      return FaultText(kIndoorFaultTexts, value);
    case UnitRule::ZizuFault:
      return FaultText(kZizuFaultTexts, value);
  }
  return "-";  // unreachable: every rule is handled above
}

}  // namespace

void ApplyUnitRules(int64_t q, int32_t value, double factor, std::string& text) {
  for (const PositionRule& entry : kUnitRules) {
    if (entry.position == q) {
      text = RuleText(entry.rule, value, factor);
    }
  }
}
