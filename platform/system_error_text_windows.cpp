// Error numbers as message text, in the words of Windows' own messages.
#include <windows.h>

#include <cctype>
#include <cstring>
#include <string_view>

#include "platform/system_error_text.h"
#include "platform/wide_text.h"
#include "platform/windows_error.h"

namespace {

// The C library's text for an error number Windows has no message for.
std::string CLibraryText(int errorNumber) {
  const char* text = std::strerror(errorNumber);
  return text != nullptr ? text : "unknown error " + std::to_string(errorNumber);
}

// The system's message for windowsError in the user's language, without the
// full stop and line end it comes with; empty when there is none.
std::string WindowsMessage(DWORD windowsError) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      windowsError, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (length == 0 || buffer == nullptr) return {};
  std::u16string units(reinterpret_cast<const char16_t*>(buffer), length);
  LocalFree(buffer);
  while (!units.empty() &&
         (units.back() == u'\r' || units.back() == u'\n' || units.back() == u' ' || units.back() == u'.')) {
    units.pop_back();
  }
  return Wtf8FromUtf16(units);
}

}  // namespace

std::string SystemErrorText(int errorNumber) {
  const DWORD windowsError = WindowsErrorForErrno(errorNumber);
  std::string text = windowsError != 0 ? WindowsMessage(windowsError) : std::string();
  if (text.empty()) text = CLibraryText(errorNumber);
  // "Access is denied" reads as "access is denied" after a colon; a text
  // whose second letter is a capital too is a name and stays.
  if (text.size() >= 2 && std::isupper(static_cast<unsigned char>(text[0])) &&
      !std::isupper(static_cast<unsigned char>(text[1]))) {
    text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  }
  return text;
}
