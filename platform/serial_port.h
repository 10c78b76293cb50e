// The serial line on Linux: open a port exclusively as a raw 9600-baud 8N1
// receive channel, read it one byte at a time with a time-out, close it.
#pragma once

#include <cstdint>
#include <string>

// An open port is a file descriptor; this value means "no port".
using SerialHandle = int;
inline constexpr SerialHandle kInvalidSerialHandle = -1;

// Line speed of the control board's telemetry.
inline constexpr int kSerialBaudRate = 9600;
// Longest wait of a one-byte read; also the silence that aborts a frame.
inline constexpr int kSerialReadTimeoutMs = 200;

// Opens the device that portPath names (a "\\.\COMn" name is resolved with
// ResolveSerialDevicePath) for reading and writing, without making it the
// controlling terminal. The device must already exist and be a character
// device. The port is taken exclusively: a second open of the same device,
// by this or another process and even by root, fails while it is held.
// Returns kInvalidSerialHandle when the port cannot be opened or is in use,
// with *openError (when given) set to why: the errno of the failed open
// (ENOENT no such device, EACCES no permission, ...), EBUSY when another
// opener holds the port, ENOTTY when the path is no character device.
// The line is not configured yet; see ConfigureSerialLine.
SerialHandle OpenSerialPort(const std::string& portPath, int* openError = nullptr);

// Makes the line a raw 8-bit channel: baudRate, 8 data bits, no parity, one
// stop bit, no hardware or software flow control, no character translation,
// modem status ignored, and a one-byte read that returns within
// kSerialReadTimeoutMs. baudRate must be a standard rate. Returns false when
// the device refused the settings; the port is then used with the settings
// it has.
bool ConfigureSerialLine(SerialHandle port, int baudRate);

// Drives the RTS and DTR outputs low (the receive direction of a
// direction-switched line adapter). Returns false when the device has no
// modem lines, as a pseudo-terminal has none.
bool LowerModemLines(SerialHandle port);

// Cuts the waits of ReadSerialByte short from another thread, so that a
// reader asked to stop ends at once instead of after its time-out.
class SerialReadWake {
 public:
  SerialReadWake();
  ~SerialReadWake();
  SerialReadWake(const SerialReadWake&) = delete;
  SerialReadWake& operator=(const SerialReadWake&) = delete;

  // From now until Clear, every ReadSerialByte given this wake returns at
  // once: with a byte the line holds already, else 0. Any thread.
  void Set();
  // Lets the reads wait again; while no reader waits.
  void Clear();
  // The readable descriptor the reads poll beside the port; -1 when none
  // could be made (the reads then wait out their time-out as before).
  int Handle() const { return m_fd; }

 private:
  int m_fd = -1;
};

// Reads at most one byte, waiting up to timeoutMs for it. Returns 1 with the
// byte; 0 when nothing came within the time-out (an empty result always takes
// the full time-out, so a reader looping on a silent line cannot spin); -1 at
// once when the line is lost: the device hung up (errno 0) or a read failed
// (errno EIO, ENODEV or ENXIO when an adapter was unplugged). A lost port
// stays lost: close it and open the device again. While wake (when given)
// is set, the read does not wait: it returns 0 at once when no byte is there.
int ReadSerialByte(SerialHandle port, uint8_t& byte, int timeoutMs, const SerialReadWake* wake = nullptr);

// Releases the exclusive hold and closes the port. The exclusive mode is
// cleared first: a terminal that another process keeps open would otherwise
// stay exclusive and refuse the next open.
void CloseSerialPort(SerialHandle port);
