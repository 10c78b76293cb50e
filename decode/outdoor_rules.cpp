// Outdoor status texts: compressor, fan, mode, temperatures, defrost, faults.
#include "decode/outdoor_rules.h"

#include <array>
#include <cmath>
#include <string_view>

#include "decode/display_text.h"

namespace {

// Compressor values below this mean the compressor stands still.
constexpr int32_t kCompressorRunningMin = 300;
// The compressor value is shown as (value + 27) / 55 percent.
constexpr int64_t kCompressorPercentOffset = 27;
constexpr int64_t kCompressorPercentDivisor = 55;
// Fan values from this on mean the fan runs.
constexpr int32_t kFanRunningMin = 50;
// The sensor value that means no top shell sensor is fitted.
constexpr int32_t kSensorNotAvailable = -1;

// Percentage shown for a compressor value that is at least kCompressorRunningMin.
int64_t CompressorPercent(int32_t value) {
  // 64-bit so that the largest field values cannot overflow.
  return (value + kCompressorPercentOffset) / kCompressorPercentDivisor;
}

std::string_view WorkingModeText(int32_t value) {
  switch (value) {
    case 1:
    case 2:  // dry mode is shown as cooling on the outdoor unit
      return "Cool";
    case 3:
      return "Heat";
    default:
      return "Off";
  }
}

std::string_view DefrostText(int32_t value) {
  switch (value) {
    case 0:
      return "Off";
    case 1:
      return "Starting";
    case 2:
    case 3:
      return "Active";
    case 4:
      return "Stopping";
    case 5:
      return "End";
    default:
      return "NA";
  }
}

// Outdoor fault texts by diagnostic level 0 to 19.
constexpr std::array<const char*, 20> kOutdoorFaultTexts = {
    "NO Fault",
    "No Communication with indoor units",
    "Error detected on indoor units",
    "PFC Fault",
    "OverTemperature Fan Circuit",
    "Overcurrent Fan Motor",
    "OverTemperature Compr. Circuit",
    "Overcurrent Compressor",
    "OCT sensor damaged",
    "OAT sensor damaged",
    "CDT sensor damaged",
    "WTT_A sensor damaged",
    "NTT_A sensor damaged",
    "WTT_B sensor damaged",
    "NTT_B sensor damaged",
    "WTT_C sensor damaged",
    "NTT_C sensor damaged",
    "WTT_D sensor damaged",
    "NTT_D sensor damaged",
    "Compressor Top Shell sensor damaged",
};

std::string_view OutdoorFaultText(int32_t value) {
  if (value >= 0 && value < static_cast<int32_t>(kOutdoorFaultTexts.size())) {
    return kOutdoorFaultTexts[value];
  }
  switch (value) {
    case 100:
      return "Wrong indoor/outdoor units combination";
    case 101:
      return "Test Mode error";
    default:
      return "Fault";
  }
}

}  // namespace

OutdoorRule OutdoorRuleAt(int p) {
  switch (p) {
    case kCompressorParam:
      return OutdoorRule::kCompressor;
    case kFanParam:
      return OutdoorRule::kFan;
    case kWorkingModeParam:
      return OutdoorRule::kWorkingMode;
    case kDischargeTemperatureParam:
    case kOutdoorAirTemperatureParam:
    case kOutdoorCoilTemperatureParam:
      return OutdoorRule::kFahrenheit;
    case kDefrostStatusParam:
      return OutdoorRule::kDefrost;
    case kDiagnosticLevelParam:
      return OutdoorRule::kFault;
    case kTopShellTemperatureParam:
      return OutdoorRule::kTopShellFahrenheit;
    default:
      return OutdoorRule::kNone;
  }
}

void AppendOutdoorRuleText(OutdoorRule rule, int32_t value, double factor, std::string& out) {
  switch (rule) {
    case OutdoorRule::kNone:
      AppendGenericText(value, factor, out);
      break;
    case OutdoorRule::kCompressor:
      if (value < kCompressorRunningMin) {
        out += "Stop";
      } else {
        AppendDecimal(CompressorPercent(value), out);
        out += " %";
      }
      break;
    case OutdoorRule::kFan:
      out += value >= kFanRunningMin ? "Running" : "Stop";
      break;
    case OutdoorRule::kWorkingMode:
      out += WorkingModeText(value);
      break;
    case OutdoorRule::kFahrenheit:
      AppendFahrenheitText(value, factor, out);
      break;
    case OutdoorRule::kTopShellFahrenheit:
      if (value == kSensorNotAvailable) {
        out += "NA";
      } else {
        AppendFahrenheitText(value, factor, out);
      }
      break;
    case OutdoorRule::kDefrost:
      out += DefrostText(value);
      break;
    case OutdoorRule::kFault:
      out += OutdoorFaultText(value);
      break;
  }
}

void AppendOutdoorRuleNumber(OutdoorRule rule, int32_t value, double factor, std::string& out) {
  switch (rule) {
    case OutdoorRule::kCompressor:
      AppendDecimal(value < kCompressorRunningMin ? 0 : CompressorPercent(value), out);
      break;
    case OutdoorRule::kFahrenheit:
      AppendFahrenheitText(value, factor, out);
      break;
    case OutdoorRule::kTopShellFahrenheit:
      if (value != kSensorNotAvailable) AppendFahrenheitText(value, factor, out);
      break;
    case OutdoorRule::kNone:
      AppendGenericText(value, factor, out);
      break;
    case OutdoorRule::kFan:
    case OutdoorRule::kWorkingMode:
    case OutdoorRule::kDefrost:
    case OutdoorRule::kFault:
      AppendDecimal(value, out);
      break;
  }
}

ValueQuantity OutdoorRuleQuantity(OutdoorRule rule) {
  switch (rule) {
    case OutdoorRule::kFahrenheit:
    case OutdoorRule::kTopShellFahrenheit:
      return ValueQuantity::kFahrenheit;
    case OutdoorRule::kCompressor:
      return ValueQuantity::kPercent;
    case OutdoorRule::kNone:
    case OutdoorRule::kFan:
      return ValueQuantity::kNumber;
    case OutdoorRule::kWorkingMode:
    case OutdoorRule::kDefrost:
    case OutdoorRule::kFault:
      break;
  }
  return ValueQuantity::kNone;
}

RowEventKind OutdoorRuleEventKind(OutdoorRule rule) {
  switch (rule) {
    case OutdoorRule::kCompressor:
      return RowEventKind::kRunning;
    case OutdoorRule::kFan:
    case OutdoorRule::kWorkingMode:
    case OutdoorRule::kDefrost:
      return RowEventKind::kState;
    case OutdoorRule::kFault:
      return RowEventKind::kFault;
    case OutdoorRule::kNone:
    case OutdoorRule::kFahrenheit:
    case OutdoorRule::kTopShellFahrenheit:
      break;
  }
  return RowEventKind::kNone;
}

double OutdoorRuleValue(OutdoorRule rule, int32_t value, double factor) {
  switch (rule) {
    case OutdoorRule::kNone:
      return value * factor;
    case OutdoorRule::kCompressor:
      return value < kCompressorRunningMin ? 0.0 : static_cast<double>(CompressorPercent(value));
    case OutdoorRule::kFahrenheit:
      return FahrenheitValue(value, factor);
    case OutdoorRule::kTopShellFahrenheit:
      return value == kSensorNotAvailable ? std::nan("") : FahrenheitValue(value, factor);
    case OutdoorRule::kFan:
    case OutdoorRule::kWorkingMode:
    case OutdoorRule::kDefrost:
    case OutdoorRule::kFault:
      break;
  }
  return value;
}
