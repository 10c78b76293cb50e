// Outdoor status texts by position: compressor, fan, mode, temperatures,
// defrost state and fault texts.
#include "decode/outdoor_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "decode/shown_params.h"

namespace {

// Stands for the generic text of a position without a rule.
constexpr const char* kGeneric = "generic";

std::string OutdoorText(int p, int32_t value) {
  const OutdoorRule rule = OutdoorRuleAt(p);
  if (rule == OutdoorRule::kNone) return kGeneric;
  std::string text;
  AppendOutdoorRuleText(rule, value, StatusParamScale(p), text);
  return text;
}

struct RuleCase {
  const char* name;
  int p;
  int32_t value;
  const char* text;
};

TEST(OutdoorRulesTest, TextsByPositionAndValue) {
  const RuleCase cases[] = {
      {"CompressorBelowRunning", 3, 299, "Stop"},
      {"CompressorNegative", 3, -1, "Stop"},
      {"CompressorLowest", 3, 300, "5 %"},
      {"CompressorTruncates", 3, 327, "6 %"},
      {"CompressorHalf", 3, 2723, "50 %"},
      {"CompressorFull", 3, 5473, "100 %"},
      {"CompressorLargest16Bit", 3, 32767, "596 %"},
      {"CompressorLargestField", 3, 2147483647, "39045157 %"},
      {"FanBelowRunning", 5, 49, "Stop"},
      {"FanRunning", 5, 50, "Running"},
      {"FanNegative", 5, -1, "Stop"},
      {"ModeZero", 7, 0, "Off"},
      {"ModeCool", 7, 1, "Cool"},
      {"ModeDryShownAsCool", 7, 2, "Cool"},
      {"ModeHeat", 7, 3, "Heat"},
      {"ModeFanShownAsOff", 7, 4, "Off"},
      {"ModeFive", 7, 5, "Off"},
      {"ModeNegative", 7, -1, "Off"},
      {"DischargeTemperature", 9, 400, "77.0"},
      {"OutdoorAir25C", 10, 400, "77.0"},
      {"OutdoorAirFloatStep", 10, -4, "31.5"},
      {"OutdoorAirZero", 10, 0, "32.0"},
      {"OutdoorCoilTemperature", 11, 16, "33.8"},
      {"TopShellNotAvailable", 39, -1, "NA"},
      {"TopShellMinusTwo", 39, -2, "31.8"},
      {"TopShell100C", 39, 1600, "212.0"},
      {"DefrostNotAvailable", 15, -1, "NA"},
      {"DefrostOff", 15, 0, "Off"},
      {"DefrostStarting", 15, 1, "Starting"},
      {"DefrostActive2", 15, 2, "Active"},
      {"DefrostActive3", 15, 3, "Active"},
      {"DefrostStopping", 15, 4, "Stopping"},
      {"DefrostEnd", 15, 5, "End"},
      {"DefrostUnknown", 15, 6, "NA"},
      {"DefrostNegative", 15, -2, "NA"},
      {"FaultNone", 30, 0, "NO Fault"},
      {"FaultPfc", 30, 3, "PFC Fault"},
      {"FaultComprCircuit", 30, 6, "OverTemperature Compr. Circuit"},
      {"FaultLastNumbered", 30, 19, "Compressor Top Shell sensor damaged"},
      {"FaultGapStart", 30, 20, "Fault"},
      {"FaultGapEnd", 30, 99, "Fault"},
      {"FaultCombination", 30, 100, "Wrong indoor/outdoor units combination"},
      {"FaultTestMode", 30, 101, "Test Mode error"},
      {"FaultAboveTable", 30, 102, "Fault"},
      {"FaultNegative", 30, -1, "Fault"},
      {"SoftwareVersionKeepsGeneric", 67, 1234, kGeneric},
  };
  for (const RuleCase& c : cases) {
    EXPECT_EQ(OutdoorText(c.p, c.value), c.text) << c.name;
  }
}

}  // namespace
