// Indoor and ZIZU unit texts by absolute record position, including the four
// ZIZU positions where the later "-" rule wins over the temperature rule.
#include "decode/unit_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "decode/shown_params.h"

namespace {

// Stands for the generic text of a position without a rule.
constexpr const char* kGeneric = "generic";

// Default layout: units start after 69 status values, 40 values each.
constexpr int64_t kDefaultUnitBase = 69;
constexpr int64_t kDefaultUnitSize = 40;

std::string UnitText(int64_t q, int32_t value) {
  const int t = static_cast<int>((q - kDefaultUnitBase) % kDefaultUnitSize);
  const UnitRule rule = UnitRuleAt(q);
  if (rule == UnitRule::kNone) return kGeneric;
  std::string text;
  AppendUnitRuleText(rule, value, UnitParamScale(t), text);
  return text;
}

struct RuleCase {
  const char* name;
  int64_t q;
  int32_t value;
  const char* text;
};

TEST(UnitRulesTest, IndoorTexts) {
  const RuleCase cases[] = {
      {"ModeZero", 70, 0, "Off"},
      {"ModeCool", 70, 1, "Cool"},
      {"ModeDry", 110, 2, "Dry"},
      {"ModeHeat", 150, 3, "Heat"},
      {"ModeFan", 70, 4, "Fan"},
      {"ModeFive", 70, 5, "Off"},
      {"ModeNegative", 70, -1, "Off"},
      {"ValveOpen", 72, 1, "Open"},
      {"ValveOpenWide", 112, 480, "Open"},
      {"ValveZero", 152, 0, "Closed"},
      {"ValveNegative", 72, -1, "Closed"},
      {"ParamSixPlaceholder", 75, 1234, "-"},
      {"ParamSixPlaceholderUnit2", 155, 0, "-"},
      {"OptionOne", 76, 1, "Enabled"},
      {"OptionThree", 116, 3, "Enabled"},
      {"OptionMinusOne", 156, -1, "Enabled"},
      {"OptionZero", 76, 0, "Disabled"},
      {"OptionTwo", 76, 2, "Disabled"},
      {"SetPoint", 74, 400, "77.0"},
      {"RoomAirRemote", 117, 16, "33.8"},
      {"RoomAirSensor", 159, -4, "31.5"},
      {"IndoorCoil25C", 80, 400, "77.0"},
      {"IndoorCoilFloatStep", 80, 12, "33.3"},
      {"WideTube", 121, -320, "-4.0"},
      {"NarrowTube", 162, -180, "11.8"},
      {"AuxiliaryCoil", 173, 0, "32.0"},
      {"FaultNone", 95, 0, "NO Fault"},
      {"FaultFloatSwitchUnit1", 135, 2, "Float switch alarm"},
      {"FaultLastNumbered", 175, 8, "Wrong indoor/outdoor units combination"},
      {"FaultUnknown", 135, 9, "Fault"},
      {"FaultNegative", 95, -1, "Fault"},
      {"AirflowKeepsGeneric", 85, 300, kGeneric},
      {"BlowerSpeedKeepsGeneric", 126, 900, kGeneric},
      {"BlowerLimitKeepsGeneric", 176, 900, kGeneric},
      {"SoftwareVersionKeepsGeneric", 108, 12, kGeneric},
  };
  for (const RuleCase& c : cases) {
    EXPECT_EQ(UnitText(c.q, c.value), c.text) << c.name;
  }
}

TEST(UnitRulesTest, ZizuTexts) {
  const RuleCase cases[] = {
      {"ModeZero", 190, 0, "Off"},
      {"ModeDry", 190, 2, "Dry"},
      {"ModeFan", 190, 4, "Fan"},
      {"ModeNegative", 190, -1, "Off"},
      {"NoValveRule", 192, 1, "-"},
      {"SetPoint", 194, 400, "77.0"},
      {"WaterTemperatureNotPlaceholder", 195, 400, "77.0"},
      {"NoOptionRule", 196, 1, "-"},
      {"OutletCoil", 200, 16, "33.8"},
      {"OutletWater", 213, -4, "31.5"},
      {"PumpBelowRunning", 206, 4, "OFF"},
      {"PumpRunning", 206, 5, "Running"},
      {"PumpNegative", 206, -1, "OFF"},
      {"FaultWaterSwitch", 215, 2, "Water switch alarm"},
      {"FaultPumpDamaged", 215, 7, "Water pump disconnected or damaged"},
      {"FaultUnknown", 215, 9, "Fault"},
      {"TargetPumpSpeedKeepsGeneric", 205, 70, kGeneric},
      {"Param27KeepsGeneric", 216, 3, kGeneric},
      {"SoftwareVersionKeepsGeneric", 228, 5, kGeneric},
  };
  for (const RuleCase& c : cases) {
    EXPECT_EQ(UnitText(c.q, c.value), c.text) << c.name;
  }
}

// Indoor temperature positions recur at 197, 199, 201 and 202, but the ZIZU
// placeholder rule comes later there and wins.
TEST(UnitRulesTest, ZizuPlaceholderWinsOverLaterTemperature) {
  for (const int64_t q : {197, 199, 201, 202}) {
    EXPECT_EQ(UnitText(q, 400), "-") << q;
  }
}

}  // namespace
