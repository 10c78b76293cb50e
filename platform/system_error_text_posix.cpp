// Error numbers as message text.
#include "platform/system_error_text.h"

#include <string.h>

#include <cctype>

namespace {

// Longer than any text the C library has for an error number.
constexpr size_t kErrorTextBufferBytes = 256;

}  // namespace

std::string SystemErrorText(int errorNumber) {
  char buffer[kErrorTextBufferBytes];
  // The GNU strerror_r returns the text, which need not be in buffer.
  std::string text = strerror_r(errorNumber, buffer, sizeof buffer);
  // "Input/output error" reads as "input/output error" after a colon; a text
  // whose second letter is a capital too ("RPC ...") is a name and stays.
  if (text.size() >= 2 && std::isupper(static_cast<unsigned char>(text[0])) &&
      !std::isupper(static_cast<unsigned char>(text[1]))) {
    text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  }
  return text;
}
