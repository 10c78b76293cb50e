// Why a connection to the broker failed, in words for the technician.
#pragma once

#include <string>

// The reason for libmosquitto's result (a MOSQ_ERR_ value) with errno as it
// was then and the library's last error line (OpenSSL's reason for a failed
// handshake): "unknown host", "connection refused", "the broker's TLS
// certificate is not trusted or does not match its name (...)".
std::string ConnectFailureReason(int result, int error, const std::string& libraryError);

// The broker's reason for refusing a CONNECT (an MQTT 5 reason code):
// "the broker refused the connection: not authorized".
std::string RefusedConnectReason(int reasonCode);
