// The collector's connection: subscribes to every site's records with a
// persistent session and hands each to the site logs before the broker
// hears it was taken.
#pragma once

#include <cstdint>
#include <string>

#include "broker/mqtt_connection.h"
#include "tools/plenx-collect/site_store.h"

struct CollectorCounts {
  uint64_t written = 0;
  uint64_t duplicates = 0;
  uint64_t missing = 0;
  uint64_t refused = 0;
};

class Collector : public MqttEvents {
 public:
  // filter: the subscription (plenx/+/record, or its $share/<group>/ form).
  Collector(MqttConnectOptions options, std::string url, std::string filter, std::string folder);

  // Connects, collects and connects again after a failure (1 s, then
  // doubling up to 60 s) until stop turns true. Failures are printed on
  // standard error once each, and their end.
  void Run(const volatile bool& stop);

  const CollectorCounts& Counts() const { return m_counts; }

  void OnConnected(bool sessionPresent) override;
  void OnMessage(std::string_view topic, std::string_view payload) override;

 private:
  void Say(const std::string& text);

  MqttConnectOptions m_options;
  std::string m_url;
  std::string m_filter;
  MqttConnection m_connection;
  CollectedLogs m_logs;
  CollectorCounts m_counts;
  // A record could not be written: the connection is dropped at once, so
  // neither it nor any record after it is acknowledged.
  bool m_writeFailed = false;
  std::string m_writeFailureSaid;
};
