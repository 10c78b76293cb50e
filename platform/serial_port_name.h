// COM port names and the devices they stand for.
#pragma once

#include <string>
#include <string_view>

// The port number n of "\\.\COMn", "COMn" or "COMn:" (upper-case COM, n in
// decimal digits only, from 1 up), or 0 for any other name.
int ComPortNumber(std::string_view name);

// The device of a port name. On Linux, for a COM port name (see
// ComPortNumber) the per-user link SerialPortLinkDirectory()/COMn when it
// exists (a symlink to, say, /dev/ttyUSB0 or a /dev/serial/by-id/ path),
// otherwise the built-in port /dev/ttyS<n-1>. On Windows, the device
// "\\.\COMn" (which also reaches ports above COM9). Any other name is
// taken as a device path and returned unchanged.
std::string ResolveSerialDevicePath(const std::string& portPath);

// The folder of the per-user port links: on Linux UserConfigFolder()/ports,
// beside the remembered settings, empty when no home folder is known.
// Always empty on Windows, whose COM ports have their names already.
std::string SerialPortLinkDirectory();
