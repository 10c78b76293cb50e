// Paced-line writing for the simulator, to a serial device or a
// pseudo-terminal.
#include "line_output.h"

#include <utility>

#include "stop_signal.h"

LineOutput::LineOutput(SerialHandle device, int ptyMaster, int heldSlaveFd, std::string devicePath)
    : m_device(device),
      m_ptyMaster(ptyMaster),
      m_heldSlaveFd(heldSlaveFd),
      m_devicePath(std::move(devicePath)) {}

LineOutput::LineOutput(LineOutput&& other) noexcept
    : m_device(std::exchange(other.m_device, kInvalidSerialHandle)),
      m_ptyMaster(std::exchange(other.m_ptyMaster, -1)),
      m_heldSlaveFd(std::exchange(other.m_heldSlaveFd, -1)),
      m_devicePath(std::move(other.m_devicePath)) {}

LineOutput::~LineOutput() {
  // A device was taken exclusively; a terminal that another process keeps
  // open would stay exclusive after a plain close.
  if (m_device != kInvalidSerialHandle) CloseSerialPort(m_device);
  ClosePty();
}

std::optional<LineOutput> LineOutput::OpenDevice(const std::string& path, std::string& error) {
  const SerialHandle port = OpenSerialPort(path);
  if (port == kInvalidSerialHandle) {
    error = "cannot open " + path + " (absent, in use, or not a serial device)";
    return std::nullopt;
  }
  ConfigureSerialLine(port, kSerialBaudRate);
  return LineOutput(port, -1, -1, path);
}

std::ptrdiff_t LineOutput::WriteNow(std::span<const uint8_t> bytes) {
  if (m_device != kInvalidSerialHandle) return WriteSerialBytes(m_device, bytes.data(), bytes.size());
  return WritePtyNow(bytes);
}

bool LineOutput::Write(std::span<const uint8_t> bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    if (StopRequested()) {
      return false;
    }
    // A full line is waited for in slices that look at the stop flag.
    const std::ptrdiff_t count = WriteNow(bytes.subspan(sent));
    if (count < 0) return false;
    sent += static_cast<size_t>(count);
  }
  return true;
}

bool LineOutput::Drain() {
  if (m_device != kInvalidSerialHandle) {
    DrainSerialLine(m_device);
    return !StopRequested();
  }
  return DrainPty();
}
