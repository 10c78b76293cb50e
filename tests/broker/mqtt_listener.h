// A subscriber for the broker tests: takes every message of a filter
// (retained ones included) on libmosquitto's own thread and lets the test
// wait for what it expects.
#pragma once

#include <mosquitto.h>

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "broker/mqtt_connection.h"
#include "testkit/wait.h"

struct HeardMessage {
  std::string topic;
  std::string payload;
  bool retained = false;
};

class MqttListener {
 public:
  // Subscribes to filter on the broker at localhost:port; WaitSubscribed
  // tells when the subscription stands. With a clientId the session is
  // persistent: the broker keeps what comes for it while it is away.
  explicit MqttListener(int port, const std::string& filter, const std::string& clientId = {}) {
    InitMqttLibrary();
    m_client = mosquitto_new(clientId.empty() ? nullptr : clientId.c_str(), clientId.empty(), this);
    mosquitto_reconnect_delay_set(m_client, 1, 1, false);
    mosquitto_message_callback_set(m_client, [](mosquitto*, void* self, const mosquitto_message* message) {
      auto& listener = *static_cast<MqttListener*>(self);
      std::lock_guard lock(listener.m_mutex);
      listener.m_messages.push_back(
          {message->topic, std::string(static_cast<const char*>(message->payload), message->payloadlen),
           message->retain});
    });
    mosquitto_subscribe_callback_set(m_client, [](mosquitto*, void* self, int, int, const int*) {
      auto& listener = *static_cast<MqttListener*>(self);
      std::lock_guard lock(listener.m_mutex);
      listener.m_subscribed = true;
    });
    m_filter = filter;
    mosquitto_connect_callback_set(m_client, [](mosquitto* client, void* self, int result) {
      if (result == 0)
        mosquitto_subscribe(client, nullptr, static_cast<MqttListener*>(self)->m_filter.c_str(), 1);
    });
    mosquitto_connect(m_client, "127.0.0.1", port, 30);
    mosquitto_loop_start(m_client);
  }
  ~MqttListener() {
    mosquitto_disconnect(m_client);
    mosquitto_loop_stop(m_client, false);
    mosquitto_destroy(m_client);
  }
  MqttListener(const MqttListener&) = delete;
  MqttListener& operator=(const MqttListener&) = delete;

  bool WaitSubscribed(int timeoutMs = 10'000) {
    return WaitUntil(
        [this] {
          std::lock_guard lock(m_mutex);
          return m_subscribed;
        },
        timeoutMs);
  }

  std::vector<HeardMessage> Messages() const {
    std::lock_guard lock(m_mutex);
    return m_messages;
  }
  // The last payload heard on topic; empty when none.
  std::string Last(const std::string& topic) const {
    std::lock_guard lock(m_mutex);
    for (auto it = m_messages.rbegin(); it != m_messages.rend(); ++it) {
      if (it->topic == topic) return it->payload;
    }
    return {};
  }
  size_t Count(const std::function<bool(const HeardMessage&)>& match) const {
    std::lock_guard lock(m_mutex);
    size_t count = 0;
    for (const HeardMessage& message : m_messages) count += match(message) ? 1 : 0;
    return count;
  }
  bool WaitFor(const std::function<bool(const HeardMessage&)>& match, size_t count = 1,
               int timeoutMs = 20'000) {
    return WaitUntil([&] { return Count(match) >= count; }, timeoutMs);
  }
  bool WaitLast(const std::string& topic, const std::string& payload, int timeoutMs = 20'000) {
    return WaitUntil([&] { return Last(topic) == payload; }, timeoutMs);
  }

 private:
  mosquitto* m_client = nullptr;
  std::string m_filter;
  mutable std::mutex m_mutex;
  std::vector<HeardMessage> m_messages;
  bool m_subscribed = false;
};
