// One connection to an MQTT broker over libmosquitto, driven by its owner's
// thread: Connect, then Step in a loop; what happens comes back through
// MqttEvents on that same thread, inside Connect or Step.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "broker/mqtt_url.h"

struct mosquitto;
struct mosquitto_message;
struct mqtt5__property;

// What a connection reports to its owner.
class MqttEvents {
 public:
  virtual ~MqttEvents() = default;
  // The broker accepted the connection. sessionPresent: it still held the
  // session of an earlier connection under this client id.
  virtual void OnConnected(bool sessionPresent) = 0;
  // The broker acknowledged the QoS 1 message mid.
  virtual void OnPublished(int mid) { static_cast<void>(mid); }
  // A message of a subscription. Its acknowledgement goes to the broker
  // only after this returns, so what this has written is not sent again.
  virtual void OnMessage(std::string_view topic, std::string_view payload) {
    static_cast<void>(topic);
    static_cast<void>(payload);
  }
};

struct MqttWill {
  std::string topic;
  std::string payload;
};

struct MqttConnectOptions {
  MqttEndpoint endpoint;
  std::string caFile;    // mqtts: the certificate authority to trust; empty: the system's
  std::string user;      // empty: no user name
  std::string password;  // with user
  std::string clientId;
  // 0: a clean session that ends with the connection. Otherwise the broker
  // keeps the session (subscriptions, messages for it) this many seconds
  // after a disconnect, and takes it up again on the next connect.
  uint32_t sessionExpirySeconds = 0;
  std::optional<MqttWill> will;  // retained, QoS 1
  int keepAliveSeconds = 30;
};

class MqttConnection {
 public:
  explicit MqttConnection(MqttEvents& events);
  ~MqttConnection();
  MqttConnection(const MqttConnection&) = delete;
  MqttConnection& operator=(const MqttConnection&) = delete;

  // Starts a connection (a new session object each time, so nothing of an
  // earlier connection is sent again behind the owner's back). False, with
  // Failure() set, when it fails at once: an unknown host, a refused TCP
  // connection, a CA file that cannot be read. Otherwise OnConnected or a
  // failure follows from Step.
  bool Connect(const MqttConnectOptions& options);

  // Runs the network for up to timeoutMs. False once the connection has
  // ended, with Failure() saying why; the owner then connects again.
  bool Step(int timeoutMs);

  bool IsConnected() const { return m_connected; }

  // Queues a message; the QoS 1 message id (0 for QoS 0), or -1 when it
  // cannot be queued (no connection).
  int Publish(const std::string& topic, std::string_view payload, int qos, bool retain);

  // Subscribes to filter with QoS 1; false when it cannot be sent.
  bool Subscribe(const std::string& filter);

  // Says goodbye to the broker (its will is not published) and closes.
  void Disconnect();

  // Cuts the connection at once, also from inside OnMessage: nothing queued
  // is sent any more (no acknowledgement of what was not handled), so the
  // broker sends it again on the next connection. Step then returns false.
  void Abandon();

  // Why the connection failed or ended, worded to follow
  // "<url>: "; empty while all is well.
  const std::string& Failure() const { return m_failure; }

 private:
  static void OnConnectCallback(mosquitto* client, void* self, int reason, int flags,
                                const mqtt5__property* properties);
  static void OnPublishCallback(mosquitto* client, void* self, int mid, int reason,
                                const mqtt5__property* properties);
  static void OnMessageCallback(mosquitto* client, void* self, const mosquitto_message* message,
                                const mqtt5__property* properties);
  static void OnLogCallback(mosquitto* client, void* self, int level, const char* text);

  void Close();
  void Fail(int result);

  MqttEvents& m_events;
  mosquitto* m_client = nullptr;
  bool m_connected = false;
  bool m_ended = true;
  std::string m_failure;
  // The library's last error line (OpenSSL's reason for a failed handshake).
  std::string m_lastLibraryError;
};

// libmosquitto's own set-up, once per process before any connection; any
// thread, any number of times.
void InitMqttLibrary();
