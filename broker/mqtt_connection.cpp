// One connection to an MQTT broker over libmosquitto.
#include "broker/mqtt_connection.h"

#include <mosquitto.h>
#include <mqtt_protocol.h>

#include <sys/socket.h>

#include <cerrno>
#include <mutex>

#include "broker/connect_failure.h"

namespace {

// The system's trusted authorities when no --mqtt-ca is given.
constexpr const char* kSystemCaFolder = "/etc/ssl/certs";
constexpr int kQosAtLeastOnce = 1;

}  // namespace

void InitMqttLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { mosquitto_lib_init(); });
}

MqttConnection::MqttConnection(MqttEvents& events) : m_events(events) { InitMqttLibrary(); }

MqttConnection::~MqttConnection() { Close(); }

void MqttConnection::Close() {
  if (m_client != nullptr) mosquitto_destroy(m_client);
  m_client = nullptr;
  m_connected = false;
  m_ended = true;
}

void MqttConnection::Fail(int result) {
  const int error = errno;
  if (m_failure.empty()) m_failure = ConnectFailureReason(result, error, m_lastLibraryError);
  m_connected = false;
  m_ended = true;
}

bool MqttConnection::Connect(const MqttConnectOptions& options) {
  Close();
  m_failure.clear();
  m_lastLibraryError.clear();
  m_ended = false;
  m_client = mosquitto_new(options.clientId.c_str(), options.sessionExpirySeconds == 0, this);
  if (m_client == nullptr) {
    Fail(MOSQ_ERR_NOMEM);
    return false;
  }
  mosquitto_int_option(m_client, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
  // Packets queued inside a callback go out once the loop writes, after the
  // callback returned: a message is acknowledged only after it was handled.
  mosquitto_threaded_set(m_client, true);
  mosquitto_connect_v5_callback_set(m_client, &MqttConnection::OnConnectCallback);
  mosquitto_publish_v5_callback_set(m_client, &MqttConnection::OnPublishCallback);
  mosquitto_message_v5_callback_set(m_client, &MqttConnection::OnMessageCallback);
  mosquitto_log_callback_set(m_client, &MqttConnection::OnLogCallback);

  if (!options.user.empty()) {
    mosquitto_username_pw_set(m_client, options.user.c_str(), options.password.c_str());
  }
  if (options.will) {
    mosquitto_will_set_v5(m_client, options.will->topic.c_str(),
                          static_cast<int>(options.will->payload.size()), options.will->payload.data(),
                          kQosAtLeastOnce, true, nullptr);
  }
  if (options.endpoint.tls) {
    const int result =
        options.caFile.empty()
            ? mosquitto_tls_set(m_client, nullptr, kSystemCaFolder, nullptr, nullptr, nullptr)
            : mosquitto_tls_set(m_client, options.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
    if (result != MOSQ_ERR_SUCCESS) {
      m_failure = "cannot use the certificate authority file " + options.caFile;
      Fail(result);
      return false;
    }
  }

  int result = MOSQ_ERR_SUCCESS;
  errno = 0;
  if (options.sessionExpirySeconds == 0) {
    result = mosquitto_connect_bind_async(m_client, options.endpoint.host.c_str(), options.endpoint.port,
                                          options.keepAliveSeconds, nullptr);
  } else {
    mosquitto_property* properties = nullptr;
    mosquitto_property_add_int32(&properties, MQTT_PROP_SESSION_EXPIRY_INTERVAL,
                                 options.sessionExpirySeconds);
    result = mosquitto_connect_bind_v5(m_client, options.endpoint.host.c_str(), options.endpoint.port,
                                       options.keepAliveSeconds, nullptr, properties);
    mosquitto_property_free_all(&properties);
  }
  if (result != MOSQ_ERR_SUCCESS) {
    Fail(result);
    return false;
  }
  return true;
}

bool MqttConnection::Step(int timeoutMs) {
  if (m_client == nullptr || m_ended) return false;
  errno = 0;
  const int result = mosquitto_loop(m_client, timeoutMs, 1);
  if (result != MOSQ_ERR_SUCCESS) Fail(result);
  return !m_ended;
}

int MqttConnection::Publish(const std::string& topic, std::string_view payload, int qos, bool retain) {
  if (!m_connected) return -1;
  int mid = 0;
  const int result = mosquitto_publish_v5(m_client, &mid, topic.c_str(), static_cast<int>(payload.size()),
                                          payload.data(), qos, retain, nullptr);
  if (result != MOSQ_ERR_SUCCESS) return -1;
  return qos == 0 ? 0 : mid;
}

bool MqttConnection::Subscribe(const std::string& filter) {
  if (!m_connected) return false;
  return mosquitto_subscribe_v5(m_client, nullptr, filter.c_str(), kQosAtLeastOnce, 0, nullptr) ==
         MOSQ_ERR_SUCCESS;
}

void MqttConnection::Disconnect() {
  if (m_client != nullptr && m_connected) {
    mosquitto_disconnect_v5(m_client, MQTT_RC_NORMAL_DISCONNECTION, nullptr);
    // Sends the DISCONNECT queued above.
    mosquitto_loop_write(m_client, 1);
  }
  Close();
}

void MqttConnection::Abandon() {
  if (m_client != nullptr) {
    const int socket = mosquitto_socket(m_client);
    if (socket >= 0) shutdown(socket, SHUT_RDWR);
  }
  m_failure = "abandoned";
  m_connected = false;
  m_ended = true;
}

void MqttConnection::OnConnectCallback(mosquitto*, void* self, int reason, int flags,
                                       const mqtt5__property*) {
  auto& connection = *static_cast<MqttConnection*>(self);
  if (reason != MQTT_RC_SUCCESS) {
    connection.m_failure = RefusedConnectReason(reason);
    connection.m_connected = false;
    connection.m_ended = true;
    return;
  }
  connection.m_connected = true;
  connection.m_events.OnConnected((flags & 1) != 0);
}

void MqttConnection::OnPublishCallback(mosquitto*, void* self, int mid, int, const mqtt5__property*) {
  static_cast<MqttConnection*>(self)->m_events.OnPublished(mid);
}

void MqttConnection::OnMessageCallback(mosquitto*, void* self, const mosquitto_message* message,
                                       const mqtt5__property*) {
  const std::string_view payload(static_cast<const char*>(message->payload),
                                 static_cast<size_t>(message->payloadlen));
  static_cast<MqttConnection*>(self)->m_events.OnMessage(message->topic, payload);
}

void MqttConnection::OnLogCallback(mosquitto*, void* self, int level, const char* text) {
  if (level == MOSQ_LOG_ERR && text != nullptr) static_cast<MqttConnection*>(self)->m_lastLibraryError = text;
}
