// The collector's connection.
#include "tools/plenx-collect/collector.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "broker/record_payload.h"
#include "broker/site_topics.h"

namespace {

constexpr int64_t kFirstRetryDelayMs = 1'000;
constexpr int64_t kLongestRetryDelayMs = 60'000;
constexpr int kNetworkStepMs = 200;
constexpr int kStopCheckMs = 100;

}  // namespace

Collector::Collector(MqttConnectOptions options, std::string url, std::string filter, std::string folder)
    : m_options(std::move(options)),
      m_url(std::move(url)),
      m_filter(std::move(filter)),
      m_connection(*this),
      m_logs(std::move(folder)) {}

void Collector::Say(const std::string& text) { std::fprintf(stderr, "plenx-collect: %s\n", text.c_str()); }

void Collector::Run(const volatile bool& stop) {
  int64_t retryDelayMs = kFirstRetryDelayMs;
  std::string failureSaid;
  bool everConnected = false;
  while (!stop) {
    m_writeFailed = false;
    bool connected = m_connection.Connect(m_options);
    while (connected && !stop && !m_writeFailed) {
      connected = m_connection.Step(kNetworkStepMs);
      if (m_connection.IsConnected()) {
        if (!everConnected || !failureSaid.empty()) {
          Say(everConnected ? "collecting from " + m_url + " again"
                            : "collecting " + m_filter + " from " + m_url);
        }
        everConnected = true;
        failureSaid.clear();
        retryDelayMs = kFirstRetryDelayMs;
      }
    }
    if (stop) break;
    const std::string reason = m_writeFailed ? std::string() : m_connection.Failure();
    if (!reason.empty() && reason != failureSaid) {
      Say((everConnected ? "the connection to the MQTT broker " + m_url + " was lost: "
                         : "cannot connect to the MQTT broker " + m_url + ": ") +
          reason + "; trying again");
      failureSaid = reason;
    }
    // Reopening a site repairs whatever a failure left.
    m_logs.Forget();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(retryDelayMs);
    while (!stop && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kStopCheckMs));
    }
    retryDelayMs = std::min(retryDelayMs * 2, kLongestRetryDelayMs);
  }
  m_connection.Disconnect();
}

void Collector::OnConnected(bool) { m_connection.Subscribe(m_filter); }

void Collector::OnMessage(std::string_view topic, std::string_view payload) {
  if (m_writeFailed) return;
  const std::string_view site = SiteOfRecordTopic(topic);
  const std::optional<RecordPayload> record = ParseRecordPayload(payload);
  if (site.empty() || !record) {
    ++m_counts.refused;
    Say("a message on " + std::string(topic) + " is not a record; it is skipped");
    return;
  }
  const StoreResult result = m_logs.Store(site, *record);
  switch (result.kind) {
    case StoreResult::Kind::kWritten:
      ++m_counts.written;
      if (result.missing > 0) {
        m_counts.missing += result.missing;
        Say("site " + std::string(site) + ": " + std::to_string(result.missing) + " records of run " +
            record->run + " before seq " + std::to_string(record->seq) +
            " never came (dropped by the logger's full spool?); its own log file has them");
      }
      break;
    case StoreResult::Kind::kDuplicate:
      ++m_counts.duplicates;
      break;
    case StoreResult::Kind::kRefused:
      ++m_counts.refused;
      Say(result.message);
      break;
    case StoreResult::Kind::kFailed:
      m_writeFailed = true;
      m_connection.Abandon();
      if (result.message != m_writeFailureSaid) {
        Say(result.message + " The broker keeps the record; trying again");
        m_writeFailureSaid = result.message;
      }
      break;
  }
}
