// A build without MQTT publishing: no options, no face.
#include "faces/optional_faces.h"

bool BrokerFaceBuiltIn() { return false; }

void AddBrokerFaceOptions(CLI::App&, BrokerSettings&) {}

std::string BrokerSettingsProblem(const BrokerSettings&) { return {}; }

std::unique_ptr<PublishingFace> MakeBrokerFace(const BrokerSettings&, BrokerNoticeHandler,
                                               std::string& problem) {
  problem.clear();
  return nullptr;
}
