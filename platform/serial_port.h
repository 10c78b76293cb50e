// The serial line: open a port exclusively as a raw 9600-baud 8N1 receive
// channel, read it one byte at a time with a time-out, close it. Through
// termios on Linux, through the Win32 communications calls on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// An open port: a file descriptor on Linux, a HANDLE on Windows, held in an
// integer wide enough for either. This value means "no port" (it is also
// Windows' INVALID_HANDLE_VALUE).
using SerialHandle = intptr_t;
inline constexpr SerialHandle kInvalidSerialHandle = -1;

// Line speed of the control board's telemetry.
inline constexpr int kSerialBaudRate = 9600;
// Longest wait of a one-byte read; also the silence that aborts a frame.
inline constexpr int kSerialReadTimeoutMs = 200;
// Longest wait of WriteSerialBytes for room on a full line (Linux).
inline constexpr int kSerialWriteWaitMs = 20;

// Opens the device that portPath names (a "\\.\COMn" name is resolved with
// ResolveSerialDevicePath) for reading and writing, without making it the
// controlling terminal. The device must already exist and be a character
// device. The port is taken exclusively: a second open of the same device,
// by this or another process and even by root, fails while it is held (on
// Windows by the open's share mode, which Windows' serial drivers enforce).
// Returns kInvalidSerialHandle when the port cannot be opened or is in use,
// with *openError (when given) set to why: the errno of the failed open
// (ENOENT no such device, EACCES no permission, ...), EBUSY when another
// opener holds the port, ENOTTY when the path is no character device.
// The line is not configured yet; see ConfigureSerialLine.
SerialHandle OpenSerialPort(const std::string& portPath, int* openError = nullptr);

// Makes the line a raw 8-bit channel: baudRate, 8 data bits, no parity, one
// stop bit, no hardware or software flow control, no character translation,
// modem status ignored, and a one-byte read that returns within
// kSerialReadTimeoutMs (on Windows the port's COMMTIMEOUTS end each wait
// for a byte after 20 ms, and bound a write: 100 ms per byte plus 500 ms). baudRate must be a standard
// rate. Returns false when the device refused the settings; the port is
// then used with the settings it has.
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
  // What the reads watch beside the port: a readable descriptor (Linux, an
  // eventfd) or a manual-reset event's HANDLE (Windows); -1 when none could
  // be made (the reads then wait out their time-out as before).
  intptr_t Handle() const { return m_handle; }

 private:
  intptr_t m_handle = -1;
};

// Reads at most one byte, waiting up to timeoutMs for it. Returns 1 with the
// byte; 0 when nothing came within the time-out (an empty result always takes
// the full time-out, so a reader looping on a silent line cannot spin); -1 at
// once when the line is lost: the device hung up (errno 0) or a read failed
// (errno EIO, ENODEV or ENXIO when an adapter was unplugged). A lost port
// stays lost: close it and open the device again. On Windows a port whose
// device is gone may go on answering every read with no byte; the port's
// error state, which then cannot be read (ClearCommError), tells that apart
// from a silent line. While wake (when given) is set, the read does not
// wait: it returns 0 at once when no byte is there.
int ReadSerialByte(SerialHandle port, uint8_t& byte, int timeoutMs, const SerialReadWake* wake = nullptr);

// Writes what the line takes of count bytes, waiting a little for room when
// it is full (on Linux up to kSerialWriteWaitMs, on Windows up to the write
// time-out of ConfigureSerialLine): the number written, 0 when the line
// stayed full (try again), -1 with errno set when the port failed. For the
// simulator's end of a line; the logger never sends.
std::ptrdiff_t WriteSerialBytes(SerialHandle port, const uint8_t* bytes, size_t count);

// Waits until every byte written has left the port. False when the port
// failed or a signal cut the wait short.
bool DrainSerialLine(SerialHandle port);

// Releases the exclusive hold and closes the port. On Linux the exclusive
// mode is cleared first: a terminal that another process keeps open would
// otherwise stay exclusive and refuse the next open.
void CloseSerialPort(SerialHandle port);
