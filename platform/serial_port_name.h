// Turns the Windows device path of a COM port into a Linux device.
#pragma once

#include <string>

// Resolves "\\.\COMn" (also "COMn" and "COMn:"), n from 1 up, to a device:
// the per-user link ${XDG_CONFIG_HOME:-$HOME/.config}/plenx-logger/ports/COMn
// when it exists (a symlink to, say, /dev/ttyUSB0 or a /dev/serial/by-id/
// path), otherwise /dev/ttyS<n-1>. Any other name is taken as a device path
// and returned unchanged.
std::string ResolveSerialDevicePath(const std::string& portPath);

// The directory of the per-user port links, or "" when neither
// XDG_CONFIG_HOME nor HOME gives one.
std::string SerialPortLinkDirectory();
