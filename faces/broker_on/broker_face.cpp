// The broker face of this build: BrokerPublisher.
#include "broker/broker_publisher.h"
#include "faces/optional_faces.h"

namespace {

class BrokerPublishingFace : public PublishingFace {
 public:
  BrokerPublishingFace(BrokerConfig config, BrokerNoticeHandler notice)
      : m_publisher(std::move(config), std::move(notice)) {}
  RunObserver& Face() override { return m_publisher; }
  void AddChange(const ChangeEvent& change) override { m_publisher.AddChange(change); }

 private:
  BrokerPublisher m_publisher;
};

}  // namespace

bool BrokerFaceBuiltIn() { return true; }

void AddBrokerFaceOptions(CLI::App& app, BrokerSettings& settings) { AddBrokerOptions(app, settings); }

std::string BrokerSettingsProblem(const BrokerSettings& settings) {
  return ResolveBrokerSettings(settings).problem;
}

std::unique_ptr<PublishingFace> MakeBrokerFace(const BrokerSettings& settings, BrokerNoticeHandler notice,
                                               std::string& problem) {
  BrokerConfigResult resolved = ResolveBrokerSettings(settings);
  problem = std::move(resolved.problem);
  if (!resolved.config) return nullptr;
  return std::make_unique<BrokerPublishingFace>(std::move(*resolved.config), std::move(notice));
}
