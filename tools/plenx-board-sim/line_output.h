// The simulator's end of the serial line: a pseudo-terminal it creates
// (Linux only), or an existing serial device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/serial_port.h"

class LineOutput {
 public:
  // A new pseudo-terminal, raw from the start so that no byte is ever
  // translated, also before the logger opens it. Its slave side stays open
  // here too, so the terminal outlives every Stop and Start of the logger.
  // nullopt with error set when none can be created (always on Windows,
  // which has no pseudo-terminals).
  static std::optional<LineOutput> CreatePty(std::string& error);
  // An existing serial device (a COM port name or a device path), set to
  // raw 9600 baud 8N1.
  static std::optional<LineOutput> OpenDevice(const std::string& path, std::string& error);

  LineOutput(LineOutput&& other) noexcept;
  LineOutput& operator=(LineOutput&&) = delete;
  ~LineOutput();

  // The device path the logger opens: the pseudo-terminal's slave, or the
  // device itself.
  const std::string& DevicePath() const { return m_devicePath; }

  // Writes all bytes, waiting while the line is full. False on a write error
  // or a stop request.
  bool Write(std::span<const uint8_t> bytes);

  // Drops what the listener has left unread for longer than a real UART
  // would hold it: more than a couple of seconds of line time while the
  // logger is stopped. A pseudo-terminal only; a no-op for a device.
  void DropStaleInput();

  // Waits until the listener has read everything written (pseudo-terminal)
  // or the device has sent it. False on a stop request.
  bool Drain();

 private:
  LineOutput(SerialHandle device, int ptyMaster, int heldSlaveFd, std::string devicePath);

  // What the line takes of bytes, waiting a little for room: the count, 0
  // when it stayed full, -1 on a failure.
  std::ptrdiff_t WriteNow(std::span<const uint8_t> bytes);
  std::ptrdiff_t WritePtyNow(std::span<const uint8_t> bytes);
  bool DrainPty();
  void ClosePty();

  // The device; kInvalidSerialHandle for a pseudo-terminal.
  SerialHandle m_device = kInvalidSerialHandle;
  // The pseudo-terminal's master, written to, and its slave, held open; -1
  // for a device.
  int m_ptyMaster = -1;
  int m_heldSlaveFd = -1;
  std::string m_devicePath;
};
