// A simulated installation: an outdoor unit with a variable-speed compressor
// and its indoor units and water unit, whose values move over time the way a
// real installation's do.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "config/record_layout.h"

class BoardModel {
 public:
  // Working modes as the units report them.
  enum Mode : int { kOff = 0, kCool = 1, kDry = 2, kHeat = 3, kFan = 4 };

  BoardModel(const RecordLayout& layout, uint32_t seed);

  // Moves the installation on by elapsedSeconds of simulated time.
  void Advance(double elapsedSeconds);

  // The record of the present state in frame order: the status values, then
  // each unit's values, as the layout places them.
  std::vector<int16_t> Values() const;

  // What a scenario asks of the installation. Once scripted, the demand
  // changes, units switch and faults come only when told; the values still
  // follow as the model has them.
  void SetScripted();
  // Runs the installation for seconds in steps of a second, without a
  // defrost or a fault, so that it starts a scenario settled.
  void Settle(double seconds);
  // Every unit asks for mode (the water unit neither dries nor only fans).
  void SetSystemMode(int mode);
  // The outdoor unit stays off for seconds whatever the units ask, as for a
  // changeover between heating and cooling.
  void HoldOutdoorOff(double seconds);
  // Ice enough on the outdoor coil: a defrost cycle starts while heating.
  void StartDefrost();
  // The compressor stops at once with outdoorFaultCode, and the units
  // report an error on the outdoor unit, for lockoutSeconds; then it starts
  // again from its lowest output.
  void TripCompressor(int outdoorFaultCode, double lockoutSeconds);

 private:  // Defrost states as the outdoor unit reports them.
  enum Defrost : int {
    kDefrostOff = 0,
    kDefrostStarting = 1,
    kDefrostActive = 2,
    kDefrostMelting = 3,
    kDefrostStopping = 4,
    kDefrostEnd = 5,
  };

  struct Unit {
    bool isWaterUnit = false;
    bool switchedOn = true;
    double secondsToToggle = 0;
    int mode = kOff;
    double setPointC = 22;
    double roomC = 19;
    double coilC = 19;
    double wideTubeC = 19;
    double narrowTubeC = 19;
    double valveSteps = 0;
    double blowerRpm = 0;
    bool iFeel = false;
    int faultCode = 0;
    double faultSecondsLeft = 0;
    // Water unit only.
    double waterC = 30;
    double outletWaterC = 30;
    double pumpPercent = 0;
  };

  void AdvanceScenario(double dt);
  void AdvanceFaults(double dt);
  void AdvanceOutdoor(double dt);
  void AdvanceDefrost(double dt);
  void AdvanceIndoorUnit(Unit& unit, double dt);
  void AdvanceWaterUnit(Unit& unit, double dt);
  double Uniform(double low, double high);
  bool Chance(double probability);

  RecordLayout m_layout;
  std::mt19937 m_random;

  // The mode the installation is asked for, and how long it stays.
  int m_systemMode = kHeat;
  double m_secondsToModeChange = 0;

  double m_airC = 2;
  double m_compressorPercent = 0;
  double m_fanRpm = 0;
  double m_dischargeC = 2;
  double m_topShellC = 2;
  double m_outdoorCoilC = 2;
  int m_outdoorMode = kOff;
  int m_defrost = kDefrostOff;
  double m_defrostSecondsLeft = 0;
  // 0 to 1: ice on the outdoor coil; a defrost starts at 1.
  double m_frost = 0;
  int m_outdoorFault = 0;
  double m_outdoorFaultSecondsLeft = 0;
  // Seconds the outdoor unit is held off (HoldOutdoorOff).
  double m_outdoorHoldSecondsLeft = 0;
  // SetScripted: no random demand changes, unit switching or faults.
  bool m_scripted = false;

  std::vector<Unit> m_units;
};
