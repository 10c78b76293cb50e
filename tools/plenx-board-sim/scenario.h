// Scenarios: a simulated installation that makes the events a technician
// trains on, on purpose and on time: a defrost cycle, a change of mode, a
// compressor trip with its diagnostic code and its recovery.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "board_model.h"

enum class Scenario { kDefrost, kModeChange, kCompressorTrip };

struct ScenarioEntry {
  Scenario scenario;
  std::string_view name;         // as --scenario takes it
  std::string_view description;  // one line for --help
};

// Every scenario, in the order --help lists them.
std::span<const ScenarioEntry> Scenarios();

// The scenario called name; nullopt for none.
std::optional<Scenario> ScenarioNamed(std::string_view name);

// Drives a model through a scenario: the installation starts settled and
// heating, the scenario's event comes a few seconds in and again every
// period, and between them the values move as the model has them.
class ScenarioScript {
 public:
  // Scripts model and settles it for the start.
  ScenarioScript(Scenario scenario, BoardModel& model);

  // Moves the scenario and the model on by elapsedSeconds of simulated time:
  // a step of the script that falls due within them comes first.
  void Advance(double elapsedSeconds);

 private:
  // The script's step number `step` (0, 1, ...), due now.
  void Step(int step);

  Scenario m_scenario;
  BoardModel& m_model;
  double m_seconds = 0;  // simulated time since the start
  int m_nextStep = 0;
};
