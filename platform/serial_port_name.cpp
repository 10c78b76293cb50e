// COM port names.
#include "platform/serial_port_name.h"

#include <charconv>

namespace {

constexpr std::string_view kDevicePrefix = "\\\\.\\";
constexpr std::string_view kComPrefix = "COM";

}  // namespace

int ComPortNumber(std::string_view name) {
  if (name.starts_with(kDevicePrefix)) {
    name.remove_prefix(kDevicePrefix.size());
  }
  if (!name.starts_with(kComPrefix)) {
    return 0;
  }
  name.remove_prefix(kComPrefix.size());
  if (name.ends_with(':')) {
    name.remove_suffix(1);
  }
  if (name.empty() || name.front() < '0' || name.front() > '9') {
    return 0;
  }
  int number = 0;
  const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), number);
  if (error != std::errc() || end != name.data() + name.size()) {
    return 0;
  }
  return number > 0 ? number : 0;
}
