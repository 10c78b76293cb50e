// How the simulated installation behaves: a heating or cooling demand that
// changes every few minutes, a compressor that ramps to meet it, defrost
// cycles while heating in the cold, slowly drifting temperatures and the odd
// fault. Temperatures are held in degrees Celsius and sent in sixteenths.
#include "board_model.h"

#include <algorithm>
#include <cmath>

namespace {

// Record positions of the outdoor unit's status values.
constexpr int kCompressorPos = 3;
constexpr int kFanPos = 5;
constexpr int kOutdoorModePos = 7;
constexpr int kDischargeTempPos = 9;
constexpr int kOutdoorAirTempPos = 10;
constexpr int kOutdoorCoilTempPos = 11;
constexpr int kDefrostPos = 15;
constexpr int kOutdoorFaultPos = 30;
constexpr int kTopShellTempPos = 39;
constexpr int kOutdoorSoftwarePos = 67;

// Offsets of a unit's values within its block.
constexpr int kUnitModeOffset = 1;
constexpr int kValveOffset = 3;
constexpr int kSetPointOffset = 5;
constexpr int kWaterTempOffset = 6;
constexpr int kIFeelOffset = 7;
constexpr int kRemoteRoomTempOffset = 8;
constexpr int kRoomTempOffset = 10;
constexpr int kCoilTempOffset = 11;
constexpr int kWideTubeTempOffset = 12;
constexpr int kNarrowTubeTempOffset = 13;
constexpr int kAirflowOffset = 16;
constexpr int kBlowerRpmOffset = 17;
constexpr int kAuxCoilTempOffset = 24;
constexpr int kUnitFaultOffset = 26;
constexpr int kBlowerLimitOffset = 27;
constexpr int kUnitSoftwareOffset = 39;
// Unit 3 is the water unit; units 0 to 2 are indoor units.
constexpr int kWaterUnitIndex = 3;

// The outdoor unit sends its compressor speed as 55 counts per percent.
constexpr double kCompressorCountsPerPercent = 55;
constexpr double kMinCompressorPercent = 12;
constexpr double kRampUpPercentPerSecond = 1.5;
constexpr double kRampDownPercentPerSecond = 4;
constexpr int kBlowerLimitRpm = 1300;
constexpr double kCfmPerRpm = 0.32;
constexpr int kOutdoorSoftwareVersion = 142;
constexpr int kIndoorSoftwareVersion = 205;
constexpr int kWaterSoftwareVersion = 310;
// Seconds of frosting at a coil 1 degree below zero that call for a defrost.
constexpr double kFrostDegreeSeconds = 1200;
// Mean seconds between faults of the outdoor unit and of each unit.
constexpr double kMeanSecondsBetweenOutdoorFaults = 3600;
constexpr double kMeanSecondsBetweenUnitFaults = 2400;
constexpr int kOutdoorFaultCodes[] = {3, 4, 5, 8, 9, 10};
constexpr int kUnitFaultCount = 8;
// Outdoor fault text "Error detected on indoor units".
constexpr int kIndoorUnitsFaultCode = 2;
// Unit fault text "Error detected on outdoor unit".
constexpr int kOutdoorUnitErrorCode = 1;

int16_t Sixteenths(double celsius) {
  return static_cast<int16_t>(std::clamp(std::lround(celsius * 16), -32512L, 32767L));
}

int16_t Whole(double value) { return static_cast<int16_t>(std::clamp(std::lround(value), -32512L, 32767L)); }

// First-order lag: value moves towards target with time constant tauSeconds.
void Approach(double& value, double target, double tauSeconds, double dt) {
  value += (target - value) * (1 - std::exp(-dt / tauSeconds));
}

// Moves value towards target by at most ratePerSecond * dt.
void Ramp(double& value, double target, double ratePerSecond, double dt) {
  const double step = ratePerSecond * dt;
  value = std::clamp(target, value - step, value + step);
}

}  // namespace

BoardModel::BoardModel(const RecordLayout& layout, uint32_t seed) : m_layout(layout), m_random(seed) {
  m_units.resize(static_cast<size_t>(std::max(layout.numDevices, 0)));
  for (size_t u = 0; u < m_units.size(); ++u) {
    Unit& unit = m_units[u];
    unit.isWaterUnit = u == kWaterUnitIndex;
    unit.iFeel = Chance(0.5);
    unit.roomC = Uniform(17, 20);
    unit.coilC = unit.wideTubeC = unit.narrowTubeC = unit.roomC;
    unit.secondsToToggle = Uniform(120, 600);
  }
  m_secondsToModeChange = Uniform(600, 1200);
  m_airC = Uniform(0, 4);
  m_dischargeC = m_topShellC = m_outdoorCoilC = m_airC;
}

double BoardModel::Uniform(double low, double high) {
  return std::uniform_real_distribution<double>(low, high)(m_random);
}

bool BoardModel::Chance(double probability) { return Uniform(0, 1) < probability; }

void BoardModel::Advance(double dt) {
  AdvanceScenario(dt);
  AdvanceFaults(dt);
  for (Unit& unit : m_units) {
    if (unit.isWaterUnit) {
      AdvanceWaterUnit(unit, dt);
    } else {
      AdvanceIndoorUnit(unit, dt);
    }
  }
  AdvanceDefrost(dt);
  AdvanceOutdoor(dt);
}

void BoardModel::SetScripted() {
  m_scripted = true;
  for (Unit& unit : m_units) unit.switchedOn = true;
}

void BoardModel::Settle(double seconds) {
  constexpr double kStepSeconds = 1;
  for (double done = 0; done < seconds; done += kStepSeconds) {
    m_frost = 0;
    Advance(kStepSeconds);
  }
}

void BoardModel::SetSystemMode(int mode) { m_systemMode = mode; }

void BoardModel::HoldOutdoorOff(double seconds) { m_outdoorHoldSecondsLeft = seconds; }

void BoardModel::StartDefrost() { m_frost = 1; }

void BoardModel::TripCompressor(int outdoorFaultCode, double lockoutSeconds) {
  m_outdoorFault = outdoorFaultCode;
  m_outdoorFaultSecondsLeft = lockoutSeconds;
  m_compressorPercent = 0;
  for (Unit& unit : m_units) {
    unit.faultCode = kOutdoorUnitErrorCode;
    unit.faultSecondsLeft = lockoutSeconds;
  }
}

void BoardModel::AdvanceScenario(double dt) {
  m_secondsToModeChange -= dt;
  if (!m_scripted && m_secondsToModeChange <= 0) {
    const double pick = Uniform(0, 1);
    m_systemMode = pick < 0.35 ? kHeat : pick < 0.65 ? kCool : pick < 0.75 ? kDry : pick < 0.85 ? kFan : kOff;
    m_secondsToModeChange = m_systemMode == kOff ? Uniform(60, 180) : Uniform(300, 900);
  }
  // The weather follows the season that the demand suggests, slowly.
  const double seasonAirC = m_systemMode == kHeat ? 2 : m_systemMode == kOff ? 15 : 31;
  Approach(m_airC, seasonAirC, 1800, dt);
  m_airC += std::normal_distribution<double>(0, 0.03)(m_random) * std::sqrt(dt);

  for (size_t u = 0; u < m_units.size(); ++u) {
    Unit& unit = m_units[u];
    unit.secondsToToggle -= dt;
    // Unit 0 always follows the demand; the others are switched on and off.
    if (!m_scripted && u != 0 && unit.secondsToToggle <= 0) {
      unit.switchedOn = !unit.switchedOn || Chance(0.3);
      unit.secondsToToggle = Uniform(120, 600);
    }
    int mode = unit.switchedOn ? m_systemMode : kOff;
    // The water unit neither dries nor only fans.
    if (unit.isWaterUnit && (mode == kDry || mode == kFan)) {
      mode = kOff;
    }
    if (mode != unit.mode) {
      unit.mode = mode;
      if (unit.isWaterUnit) {
        unit.setPointC = mode == kCool ? 12 : 45;
      } else {
        unit.setPointC = mode == kHeat ? std::round(Uniform(42, 46)) / 2 : std::round(Uniform(46, 52)) / 2;
      }
    }
  }
}

void BoardModel::AdvanceFaults(double dt) {
  m_outdoorFaultSecondsLeft -= dt;
  if (m_outdoorFault != 0 && m_outdoorFaultSecondsLeft <= 0) {
    m_outdoorFault = 0;
  } else if (!m_scripted && m_outdoorFault == 0 && Chance(dt / kMeanSecondsBetweenOutdoorFaults)) {
    m_outdoorFault = kOutdoorFaultCodes[std::uniform_int_distribution<size_t>(
        0, std::size(kOutdoorFaultCodes) - 1)(m_random)];
    m_outdoorFaultSecondsLeft = Uniform(20, 90);
  }
  for (Unit& unit : m_units) {
    unit.faultSecondsLeft -= dt;
    if (unit.faultCode != 0 && unit.faultSecondsLeft <= 0) {
      unit.faultCode = 0;
    } else if (!m_scripted && unit.faultCode == 0 && Chance(dt / kMeanSecondsBetweenUnitFaults)) {
      unit.faultCode = std::uniform_int_distribution<int>(1, kUnitFaultCount)(m_random);
      unit.faultSecondsLeft = Uniform(30, 120);
    }
  }
}

void BoardModel::AdvanceDefrost(double dt) {
  const bool heating = m_outdoorMode == kHeat && m_compressorPercent > 0;
  if (m_defrost == kDefrostOff) {
    if (heating && m_outdoorCoilC < 0) {
      m_frost += dt * -m_outdoorCoilC / kFrostDegreeSeconds;
    }
    if (heating && m_frost >= 1) {
      m_defrost = kDefrostStarting;
      m_defrostSecondsLeft = 8;
    }
    return;
  }
  m_defrostSecondsLeft -= dt;
  switch (m_defrost) {
    case kDefrostStarting:
      if (m_defrostSecondsLeft <= 0) {
        m_defrost = kDefrostActive;
        m_defrostSecondsLeft = 20;
      }
      break;
    case kDefrostActive:
      if (m_defrostSecondsLeft <= 0) {
        m_defrost = kDefrostMelting;
        m_defrostSecondsLeft = 60;
      }
      break;
    case kDefrostMelting:
      // Melting ends when the coil is clear of ice, or after its longest time.
      if (m_outdoorCoilC > 10 || m_defrostSecondsLeft <= 0) {
        m_frost = 0;
        m_defrost = kDefrostStopping;
        m_defrostSecondsLeft = 8;
      }
      break;
    case kDefrostStopping:
      if (m_defrostSecondsLeft <= 0) {
        m_defrost = kDefrostEnd;
        m_defrostSecondsLeft = 10;
      }
      break;
    default:
      if (m_defrostSecondsLeft <= 0) {
        m_defrost = kDefrostOff;
      }
      break;
  }
  // A unit switched out of heating ends the cycle early.
  if (!heating && m_defrost != kDefrostEnd) {
    m_frost = 0;
    m_defrost = kDefrostEnd;
    m_defrostSecondsLeft = 10;
  }
}

void BoardModel::AdvanceOutdoor(double dt) {
  // The outdoor unit runs in the mode of the units that ask for it.
  int demandMode = kOff;
  double demand = 0;
  int unitFault = 0;
  for (const Unit& unit : m_units) {
    unitFault = std::max(unitFault, unit.faultCode);
    if (unit.mode == kCool || unit.mode == kDry || unit.mode == kHeat) {
      demandMode = unit.mode;
      demand += 10 + 12 * std::abs(unit.roomC - unit.setPointC);
      if (unit.isWaterUnit) {
        demand += 2 * std::abs(unit.waterC - unit.setPointC);
      }
    }
  }
  m_outdoorHoldSecondsLeft = std::max(m_outdoorHoldSecondsLeft - dt, 0.0);
  m_outdoorMode = m_outdoorFault != 0 || m_outdoorHoldSecondsLeft > 0 ? kOff : demandMode;

  double targetPercent = 0;
  if (m_defrost == kDefrostActive || m_defrost == kDefrostMelting) {
    targetPercent = 60;
  } else if (m_defrost == kDefrostStarting || m_defrost == kDefrostStopping) {
    targetPercent = kMinCompressorPercent;
  } else if (m_outdoorMode != kOff) {
    targetPercent = std::clamp(15 + demand, kMinCompressorPercent, 100.0);
  }
  const double rate =
      targetPercent > m_compressorPercent ? kRampUpPercentPerSecond : kRampDownPercentPerSecond;
  if (m_compressorPercent == 0 && targetPercent > 0) {
    m_compressorPercent = kMinCompressorPercent;
  }
  Ramp(m_compressorPercent, targetPercent, rate, dt);
  if (targetPercent == 0 && m_compressorPercent < kMinCompressorPercent) {
    m_compressorPercent = 0;
  }
  const bool running = m_compressorPercent > 0;

  // The outdoor fan stops while the coil is being defrosted.
  const bool defrosting = m_defrost == kDefrostActive || m_defrost == kDefrostMelting;
  const double fanTargetRpm = running && !defrosting ? 450 + 5 * m_compressorPercent : 0;
  Approach(m_fanRpm, fanTargetRpm, 4, dt);
  if (fanTargetRpm == 0 && m_fanRpm < 20) {
    m_fanRpm = 0;
  }

  Approach(m_dischargeC, running ? m_airC + 35 + 0.35 * m_compressorPercent : m_airC, running ? 90 : 600, dt);
  Approach(m_topShellC, running ? m_dischargeC - 8 : m_airC, 120, dt);
  double coilTargetC = m_airC;
  if (defrosting) {
    coilTargetC = 14;
  } else if (running && m_outdoorMode == kHeat) {
    coilTargetC = m_airC - 4 - 0.08 * m_compressorPercent;
  } else if (running) {
    coilTargetC = m_airC + 6 + 0.1 * m_compressorPercent;
  }
  Approach(m_outdoorCoilC, coilTargetC, defrosting ? 25 : 60, dt);
  if (m_outdoorFault == 0 && unitFault != 0) {
    m_outdoorFault = kIndoorUnitsFaultCode;
    m_outdoorFaultSecondsLeft = 0;
  }
}

void BoardModel::AdvanceIndoorUnit(Unit& unit, double dt) {
  const bool running = m_compressorPercent > 0;
  const bool defrosting = m_defrost == kDefrostActive || m_defrost == kDefrostMelting;
  const double neutralC = 20 + 0.25 * (m_airC - 15);
  double roomTargetC = neutralC;
  double coilTargetC = unit.roomC;
  double blowerTargetRpm = 0;
  double valveTarget = 0;
  const double error = std::abs(unit.roomC - unit.setPointC);
  switch (unit.mode) {
    case kCool:
    case kDry:
      if (running) {
        roomTargetC = unit.setPointC - 0.3;
        coilTargetC = unit.mode == kDry ? 10 : 7;
        valveTarget = 180 + 60 * error;
      }
      blowerTargetRpm = (unit.mode == kDry ? 650 : 800) + 120 * std::min(error, 3.0);
      break;
    case kHeat:
      if (running && !defrosting) {
        roomTargetC = unit.setPointC + 0.3;
        coilTargetC = 36 + 0.1 * m_compressorPercent;
        valveTarget = 220 + 50 * error;
        // No cold draught: the blower waits for a warm coil.
        blowerTargetRpm = unit.coilC > 28 ? 800 + 120 * std::min(error, 3.0) : 0;
      } else if (defrosting) {
        coilTargetC = 15;
        valveTarget = 480;
      }
      break;
    case kFan:
      blowerTargetRpm = 900;
      break;
    default:
      break;
  }
  Approach(unit.roomC, roomTargetC, unit.mode == kOff ? 3600 : 500, dt);
  Approach(unit.coilC, coilTargetC, 45, dt);
  const bool heatFlow = unit.mode == kHeat && running;
  const bool coolFlow = (unit.mode == kCool || unit.mode == kDry) && running;
  Approach(unit.wideTubeC, heatFlow ? unit.coilC + 5 : coolFlow ? unit.coilC + 4 : unit.roomC, 30, dt);
  Approach(unit.narrowTubeC, heatFlow ? unit.coilC - 6 : coolFlow ? unit.coilC - 2 : unit.roomC, 30, dt);
  Approach(unit.valveSteps, std::min(valveTarget, 480.0), 10, dt);
  if (valveTarget == 0 && unit.valveSteps < 1) {
    unit.valveSteps = 0;
  }
  Approach(unit.blowerRpm, std::min(blowerTargetRpm, static_cast<double>(kBlowerLimitRpm)), 5, dt);
  if (blowerTargetRpm == 0 && unit.blowerRpm < 20) {
    unit.blowerRpm = 0;
  }
}

void BoardModel::AdvanceWaterUnit(Unit& unit, double dt) {
  const bool running = m_compressorPercent > 0;
  const bool defrosting = m_defrost == kDefrostActive || m_defrost == kDefrostMelting;
  const bool on = unit.mode == kHeat || unit.mode == kCool;
  const double idleWaterC = 20 + 0.2 * (m_airC - 15);
  double waterTargetC = idleWaterC;
  double coilTargetC = unit.waterC;
  double outletTargetC = unit.waterC;
  if (on && running && !defrosting) {
    waterTargetC = unit.setPointC;
    const double lift = unit.mode == kHeat ? 1 : -1;
    coilTargetC = unit.waterC + lift * 8;
    outletTargetC = unit.waterC + lift * 4;
  }
  Approach(unit.waterC, waterTargetC, on ? 900 : 3600, dt);
  Approach(unit.coilC, coilTargetC, 45, dt);
  Approach(unit.outletWaterC, outletTargetC, 30, dt);
  Approach(unit.pumpPercent, on ? 65 + 10 * std::min(std::abs(unit.waterC - unit.setPointC), 2.0) : 0, 5, dt);
  if (!on && unit.pumpPercent < 1) {
    unit.pumpPercent = 0;
  }
  unit.roomC = unit.waterC;
}

std::vector<int16_t> BoardModel::Values() const {
  const int statusCount = m_layout.statusParams;
  std::vector<int16_t> values(static_cast<size_t>(RecordValueCount(m_layout)), 0);
  const auto setStatus = [&](int position, int16_t value) {
    if (position < statusCount) {
      values[static_cast<size_t>(position)] = value;
    }
  };
  setStatus(kCompressorPos, Whole(m_compressorPercent * kCompressorCountsPerPercent));
  setStatus(kFanPos, Whole(m_fanRpm));
  setStatus(kOutdoorModePos, static_cast<int16_t>(m_outdoorMode));
  setStatus(kDischargeTempPos, Sixteenths(m_dischargeC));
  setStatus(kOutdoorAirTempPos, Sixteenths(m_airC));
  setStatus(kOutdoorCoilTempPos, Sixteenths(m_outdoorCoilC));
  setStatus(kDefrostPos, static_cast<int16_t>(m_defrost));
  setStatus(kOutdoorFaultPos, static_cast<int16_t>(m_outdoorFault));
  setStatus(kTopShellTempPos, Sixteenths(m_topShellC));
  setStatus(kOutdoorSoftwarePos, kOutdoorSoftwareVersion);

  for (size_t u = 0; u < m_units.size(); ++u) {
    const Unit& unit = m_units[u];
    const size_t base = static_cast<size_t>(statusCount) + u * static_cast<size_t>(m_layout.acParams);
    const auto set = [&](int offset, int16_t value) {
      if (offset < m_layout.acParams) {
        values[base + static_cast<size_t>(offset)] = value;
      }
    };
    set(kUnitModeOffset, static_cast<int16_t>(unit.mode));
    set(kSetPointOffset, Sixteenths(unit.setPointC));
    set(kCoilTempOffset, Sixteenths(unit.coilC));
    set(kUnitFaultOffset, static_cast<int16_t>(unit.faultCode));
    if (unit.isWaterUnit) {
      set(kWaterTempOffset, Sixteenths(unit.waterC));
      set(kAirflowOffset, Whole(unit.mode == kOff ? 0 : 65));
      set(kBlowerRpmOffset, Whole(unit.pumpPercent));
      set(kAuxCoilTempOffset, Sixteenths(unit.outletWaterC));
      set(kUnitSoftwareOffset, kWaterSoftwareVersion);
      continue;
    }
    set(kValveOffset, Whole(unit.valveSteps));
    set(kIFeelOffset, unit.iFeel ? 1 : 0);
    // The remote control sits nearer the people than the unit's own sensor.
    set(kRemoteRoomTempOffset, Sixteenths(unit.roomC + 0.4));
    set(kRoomTempOffset, Sixteenths(unit.roomC));
    set(kWideTubeTempOffset, Sixteenths(unit.wideTubeC));
    set(kNarrowTubeTempOffset, Sixteenths(unit.narrowTubeC));
    set(kAirflowOffset, Whole(unit.blowerRpm * kCfmPerRpm));
    set(kBlowerRpmOffset, Whole(unit.blowerRpm));
    set(kAuxCoilTempOffset, Sixteenths(unit.coilC - 0.5));
    set(kBlowerLimitOffset, kBlowerLimitRpm);
    set(kUnitSoftwareOffset, kIndoorSoftwareVersion);
  }
  return values;
}
