// The run's messages.
#include "run/run_messages.h"

#include <cerrno>
#include <cstring>

#include "platform/serial_port_name.h"
#include "platform/system_error_text.h"

namespace {
constexpr std::string_view kPortOpenFailedText = "Error opening COM port";
}  // namespace

std::string PortOpenFailureText(const std::string& devicePath, int openError) {
  std::string text(kPortOpenFailedText);
  if (openError == 0) return text;
  text += "\n" + ResolveSerialDevicePath(devicePath) + ": ";
  switch (openError) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case EIO:  // a built-in port without its hardware
      text += "no such device. Plug in the adapter";
      if (ComPortNumber(devicePath) > 0 && !SerialPortLinkDirectory().empty()) {
        text += ", or check the port's link in " + SerialPortLinkDirectory() + "/";
      }
      text += ".";
      break;
    case EBUSY:
      text += "in use by another program.";
      break;
    case EACCES:
    case EPERM:
      text +=
          "permission denied. Add the user to the dialout group (sudo usermod -aG dialout $USER), "
          "then log in again.";
      break;
    case ENOTTY:
      text += "not a serial port.";
      break;
    default:
      text += SystemErrorText(openError) + ".";
      break;
  }
  return text;
}

std::string LineLostText(const std::string& portName, int error) {
  return portName + ": line lost (" + (error == 0 ? std::string("hung up") : std::strerror(error)) +
         "); opening it again every second";
}

std::string LineBackText(const std::string& portName) { return portName + ": line back"; }

std::string LayoutText(const LoggerConfig& config) {
  return std::to_string(config.statusParams) + "," + std::to_string(config.numDevices) + "," +
         std::to_string(config.acParams);
}

std::string NoFrameMatchesText(const std::string& portName, const LoggerConfig& config,
                               const std::string& configPath) {
  return "Data is arriving on " + portName + " but no frame matches the layout " + LayoutText(config) +
         " of " +
         (configPath.empty() ? "the built-in settings (no configuration file was found)" : configPath) + ".";
}
