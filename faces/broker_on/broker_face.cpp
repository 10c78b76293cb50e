// The broker face of this build: BrokerPublisher.
#include "broker/broker_publisher.h"
#include "faces/optional_faces.h"

bool BrokerFaceBuiltIn() { return true; }

void AddBrokerFaceOptions(CLI::App& app, BrokerSettings& settings) { AddBrokerOptions(app, settings); }

std::string BrokerSettingsProblem(const BrokerSettings& settings) {
  return ResolveBrokerSettings(settings).problem;
}

std::unique_ptr<RunObserver> MakeBrokerFace(const BrokerSettings& settings, BrokerNoticeHandler notice,
                                            std::string& problem) {
  BrokerConfigResult resolved = ResolveBrokerSettings(settings);
  problem = std::move(resolved.problem);
  if (!resolved.config) return nullptr;
  return std::make_unique<BrokerPublisher>(std::move(*resolved.config), std::move(notice));
}
