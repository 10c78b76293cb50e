// The window's MQTT broker settings, remembered with the port and the log
// file (persisted_settings.h) as the text values "MqttUrl", "MqttUser",
// "MqttPasswordFile", "MqttCaFile" and "MqttSite" of the same key. The
// password itself is never stored, only the file it is read from. The same
// rules hold: a value missing or unreadable reads as the empty text.
// User-interface thread only.
#pragma once

#include <string>

struct RememberedBroker {
  std::string url;  // empty: no publishing
  std::string user;
  std::string passwordFile;
  std::string caFile;
  std::string site;  // empty: the default site name

  bool operator==(const RememberedBroker&) const = default;
};

RememberedBroker ReadBrokerSetting();
void WriteBrokerSetting(const RememberedBroker& broker);
