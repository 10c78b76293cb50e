// The scenarios' scripts over the installation model.
#include "scenario.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<ScenarioEntry, 3> kScenarios = {{
    {Scenario::kDefrost, "defrost",
     "heating in the cold; a defrost cycle starts 2 s in and every 180 s (Starting, Active, Stopping, End, "
     "Off)"},
    {Scenario::kModeChange, "mode-change",
     "every unit changes between Heat and Cool 2 s in and every 90 s; the outdoor unit stops its compressor "
     "and waits 30 s for the changeover"},
    {Scenario::kCompressorTrip, "compressor-trip",
     "overcurrent trips the compressor 2 s in and every 60 s (Overcurrent Compressor, the units report the "
     "outdoor unit's error); it restarts after a 5 s lock-out"},
}};

// Simulated time the installation runs before a scenario starts, so its
// temperatures and compressor have settled.
constexpr double kSettleSeconds = 900;
// When the scenario's event comes first, and how often it comes again.
constexpr double kFirstStepSeconds = 2;
constexpr double kDefrostPeriodSeconds = 180;
constexpr double kModeChangePeriodSeconds = 90;
constexpr double kTripPeriodSeconds = 60;
// Between heating and cooling the outdoor unit runs its compressor down and
// waits for the refrigerant pressures to even out before the valve reverses.
constexpr double kChangeoverSeconds = 30;
// Outdoor fault text "Overcurrent Compressor".
constexpr int kOvercurrentCompressorCode = 7;
// Shortened from the minutes a unit waits, so a short session sees the
// restart.
constexpr double kTripLockoutSeconds = 5;

double PeriodOf(Scenario scenario) {
  switch (scenario) {
    case Scenario::kDefrost:
      return kDefrostPeriodSeconds;
    case Scenario::kModeChange:
      return kModeChangePeriodSeconds;
    case Scenario::kCompressorTrip:
      break;
  }
  return kTripPeriodSeconds;
}

}  // namespace

std::span<const ScenarioEntry> Scenarios() { return kScenarios; }

std::optional<Scenario> ScenarioNamed(std::string_view name) {
  const auto* entry = std::find_if(kScenarios.begin(), kScenarios.end(),
                                   [name](const ScenarioEntry& candidate) { return candidate.name == name; });
  if (entry == kScenarios.end()) return std::nullopt;
  return entry->scenario;
}

ScenarioScript::ScenarioScript(Scenario scenario, BoardModel& model) : m_scenario(scenario), m_model(model) {
  m_model.SetScripted();
  m_model.SetSystemMode(BoardModel::kHeat);
  m_model.Settle(kSettleSeconds);
}

void ScenarioScript::Advance(double elapsedSeconds) {
  m_seconds += elapsedSeconds;
  while (m_seconds >= kFirstStepSeconds + m_nextStep * PeriodOf(m_scenario)) Step(m_nextStep++);
  m_model.Advance(elapsedSeconds);
}

void ScenarioScript::Step(int step) {
  switch (m_scenario) {
    case Scenario::kDefrost:
      m_model.StartDefrost();
      break;
    case Scenario::kModeChange:
      m_model.SetSystemMode(step % 2 == 0 ? BoardModel::kCool : BoardModel::kHeat);
      m_model.HoldOutdoorOff(kChangeoverSeconds);
      break;
    case Scenario::kCompressorTrip:
      m_model.TripCompressor(kOvercurrentCompressorCode, kTripLockoutSeconds);
      break;
  }
}
