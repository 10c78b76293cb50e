// COM port names on Windows: each names its own device.
#include "platform/serial_port_name.h"

namespace {

// The device namespace reaches every port; a bare "COM12" would not open.
constexpr std::string_view kDevicePrefix = "\\\\.\\COM";

}  // namespace

std::string SerialPortLinkDirectory() { return {}; }

std::string ResolveSerialDevicePath(const std::string& portPath) {
  const int number = ComPortNumber(portPath);
  if (number < 1) return portPath;
  return std::string(kDevicePrefix) + std::to_string(number);
}
