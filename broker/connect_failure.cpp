// Why a connection to the broker failed, in words for the technician.
#include "broker/connect_failure.h"

#include <mosquitto.h>

#include <cctype>

#include "platform/system_error_text.h"

namespace {

// text with its first letter in lower case and no final '.', to follow a
// colon.
std::string AsClause(std::string text) {
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
  return text;
}

}  // namespace

std::string ConnectFailureReason(int result, int error, const std::string& libraryError) {
  switch (result) {
    case MOSQ_ERR_EAI:
    case MOSQ_ERR_LOOKUP:
      return "unknown host (no name server knows it)";
    case MOSQ_ERR_ERRNO:
      return error != 0 ? SystemErrorText(error) : "the connection failed";
    case MOSQ_ERR_TLS:
    case MOSQ_ERR_TLS_HANDSHAKE:
      return "the broker's TLS certificate is not trusted or does not match its name" +
             (libraryError.empty() ? std::string() : " (" + libraryError + ")");
    case MOSQ_ERR_CONN_LOST:
      return "the broker closed the connection";
    case MOSQ_ERR_KEEPALIVE:
      return "the broker stopped answering";
    default:
      return AsClause(mosquitto_strerror(result));
  }
}

std::string RefusedConnectReason(int reasonCode) {
  return "the broker refused the connection: " + AsClause(mosquitto_reason_string(reasonCode));
}
