// The window's remembered MQTT broker settings.
#include "config/remembered_broker.h"

#include "config/persisted_settings.h"

namespace {

constexpr const char* kUrlValueName = "MqttUrl";
constexpr const char* kUserValueName = "MqttUser";
constexpr const char* kPasswordFileValueName = "MqttPasswordFile";
constexpr const char* kCaFileValueName = "MqttCaFile";
constexpr const char* kSiteValueName = "MqttSite";

}  // namespace

RememberedBroker ReadBrokerSetting() {
  RememberedBroker broker;
  broker.url = ReadTextSetting(kUrlValueName);
  broker.user = ReadTextSetting(kUserValueName);
  broker.passwordFile = ReadTextSetting(kPasswordFileValueName);
  broker.caFile = ReadTextSetting(kCaFileValueName);
  broker.site = ReadTextSetting(kSiteValueName);
  return broker;
}

void WriteBrokerSetting(const RememberedBroker& broker) {
  WriteTextSetting(kUrlValueName, broker.url);
  WriteTextSetting(kUserValueName, broker.user);
  WriteTextSetting(kPasswordFileValueName, broker.passwordFile);
  WriteTextSetting(kCaFileValueName, broker.caFile);
  WriteTextSetting(kSiteValueName, broker.site);
}
