// The page's TLS: a server context from a certificate chain and its key, in
// PEM files.
#pragma once

#include <openssl/ssl.h>

#include <memory>
#include <string>

struct SslContextFree {
  void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};
using TlsContext = std::unique_ptr<SSL_CTX, SslContextFree>;

// A context offering TLS 1.2 and later with the certificate chain in
// certPath and its private key in keyPath. nullptr, with error naming the
// file and the reason, when either cannot be read or they do not match.
TlsContext MakeTlsContext(const std::string& certPath, const std::string& keyPath, std::string& error);
