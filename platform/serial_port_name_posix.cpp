// COM port names to Linux devices: a per-user link, else the n-th 8250 port.
#include "platform/serial_port_name.h"

#include <sys/stat.h>

#include "platform/user_config_folder.h"

namespace {

constexpr std::string_view kComPrefix = "COM";
constexpr std::string_view kLinkFolderName = "/ports";
// COMn is the n-th built-in UART, which Linux numbers from 0.
constexpr std::string_view kBuiltInPortPrefix = "/dev/ttyS";

}  // namespace

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
