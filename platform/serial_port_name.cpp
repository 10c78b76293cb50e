// COM port names to Linux devices: a per-user link, else the n-th 8250 port.
#include "platform/serial_port_name.h"

#include <sys/stat.h>

#include <charconv>

#include "platform/user_config_folder.h"

namespace {

constexpr std::string_view kDevicePrefix = "\\\\.\\";
constexpr std::string_view kComPrefix = "COM";
constexpr std::string_view kLinkFolderName = "/ports";
// COMn is the n-th built-in UART, which Linux numbers from 0.
constexpr std::string_view kBuiltInPortPrefix = "/dev/ttyS";

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

std::string SerialPortLinkDirectory() {
  const std::string folder = UserConfigFolder();
  return folder.empty() ? folder : folder + std::string(kLinkFolderName);
}

std::string ResolveSerialDevicePath(const std::string& portPath) {
  const int number = ComPortNumber(portPath);
  if (number < 1) {
    return portPath;
  }
  const std::string portName = std::string(kComPrefix) + std::to_string(number);
  const std::string linkDirectory = SerialPortLinkDirectory();
  if (!linkDirectory.empty()) {
    const std::string link = linkDirectory + "/" + portName;
    // lstat: a link whose adapter is unplugged still names this port, so the
    // open fails instead of silently falling back to a built-in UART.
    struct stat status {};
    if (lstat(link.c_str(), &status) == 0) {
      return link;
    }
  }
  return std::string(kBuiltInPortPrefix) + std::to_string(number - 1);
}
