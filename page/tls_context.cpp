// TLS server context.
#include "page/tls_context.h"

#include <fcntl.h>
#include <openssl/err.h>
#include <openssl/x509.h>

#include "platform/posix_io.h"
#include "platform/system_error_text.h"

namespace {

// Whether path can be opened for reading; error names the file and why not.
bool CheckReadable(const std::string& what, const std::string& path, std::string& error) {
  const int fd = OpenFile(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error = "Cannot read the " + what + " " + path + ": " + SystemErrorText(errno) + ".";
    return false;
  }
  CloseFile(fd);
  return true;
}

// OpenSSL's reason for the last failure, taken off its error queue.
std::string TlsReason(unsigned long code = ERR_peek_last_error()) {
  ERR_clear_error();
  const char* reason = code != 0 ? ERR_reason_error_string(code) : nullptr;
  return reason ? reason : "not in PEM form";
}

}  // namespace

TlsContext MakeTlsContext(const std::string& certPath, const std::string& keyPath, std::string& error) {
  if (!CheckReadable("certificate", certPath, error) || !CheckReadable("private key", keyPath, error)) {
    return nullptr;
  }
  TlsContext context(SSL_CTX_new(TLS_server_method()));
  if (!context) {
    error = "Cannot set up TLS: " + TlsReason() + ".";
    return nullptr;
  }
  SSL_CTX_set_min_proto_version(context.get(), TLS1_2_VERSION);
  SSL_CTX_set_mode(context.get(), SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
  if (SSL_CTX_use_certificate_chain_file(context.get(), certPath.c_str()) != 1) {
    error = "Cannot use the certificate " + certPath + ": " + TlsReason() + ".";
    return nullptr;
  }
  const bool keyUsed = SSL_CTX_use_PrivateKey_file(context.get(), keyPath.c_str(), SSL_FILETYPE_PEM) == 1;
  const unsigned long keyError = ERR_peek_last_error();
  if ((!keyUsed && ERR_GET_REASON(keyError) == X509_R_KEY_VALUES_MISMATCH) ||
      (keyUsed && SSL_CTX_check_private_key(context.get()) != 1)) {
    ERR_clear_error();
    error = "The private key " + keyPath + " does not belong to the certificate " + certPath + ".";
    return nullptr;
  }
  if (!keyUsed) {
    error = "Cannot use the private key " + keyPath + ": " + TlsReason(keyError) + ".";
    return nullptr;
  }
  return context;
}
