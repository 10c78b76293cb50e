// Serial ports through the Win32 communications calls: exclusive open, raw
// line settings, one-byte reads timed by the port's COMMTIMEOUTS. A
// SerialHandle is the port's HANDLE; a SerialReadWake's handle is a
// manual-reset event.
#include "platform/serial_port.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/serial_port_name.h"
#include "platform/windows_error.h"
#include "platform/windows_file.h"

namespace {

// Characters the receive buffer may hold before XOFF would be sent, and
// may come down to before XON; flow control is off, so they only satisfy
// the driver.
constexpr WORD kFlowLimitChars = 1;
// A write may take this long per byte and this long more before it returns
// with what went out; the simulator writes a few bytes at a time.
constexpr DWORD kWriteTimeoutPerByteMs = 100;
constexpr DWORD kWriteTimeoutConstantMs = 500;
// Longest wait of one ReadFile for a byte: a longer read waits in such
// slices, and a wake is seen between two of them. Nothing relies on
// cancelling a blocking read from another thread (CancelSynchronousIo),
// which Wine's serial ports may not honour.
constexpr int kReadSliceMs = 20;

HANDLE HandleOf(SerialHandle port) { return reinterpret_cast<HANDLE>(port); }

// errno for a failed open of a port: Windows' serial drivers refuse a port
// that another program holds with "access denied".
int OpenErrno(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return EBUSY;
    default:
      return ErrnoFromWindowsError(error);
  }
}

// A one-byte read returns with the byte as soon as it comes, or with none
// after kReadSliceMs.
bool SetReadTimeout(HANDLE port) {
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = 0;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = kReadSliceMs;
  timeouts.WriteTotalTimeoutMultiplier = kWriteTimeoutPerByteMs;
  timeouts.WriteTotalTimeoutConstant = kWriteTimeoutConstantMs;
  return SetCommTimeouts(port, &timeouts) != 0;
}

// The read time-out a port must have before ReadFile is called: otherwise a
// port nobody configured would wait for ever for its first byte.
void EnsureReadTimeout(HANDLE port) {
  COMMTIMEOUTS timeouts{};
  if (!GetCommTimeouts(port, &timeouts) || timeouts.ReadTotalTimeoutConstant != kReadSliceMs ||
      timeouts.ReadIntervalTimeout != 0 || timeouts.ReadTotalTimeoutMultiplier != 0) {
    SetReadTimeout(port);
  }
}

bool IsSet(const SerialReadWake* wake) {
  return wake != nullptr && wake->Handle() != -1 &&
         WaitForSingleObject(reinterpret_cast<HANDLE>(wake->Handle()), 0) == WAIT_OBJECT_0;
}

// 1 when a byte waits in the port's receive buffer, 0 when none does, -1
// (errno set) when the port's state cannot be read, as when its device is
// gone.
int ByteWaiting(HANDLE port) {
  DWORD errors = 0;
  COMSTAT status{};
  if (!ClearCommError(port, &errors, &status)) {
    SetErrnoFromLastError();
    return -1;
  }
  return status.cbInQue > 0 ? 1 : 0;
}

}  // namespace

SerialHandle OpenSerialPort(const std::string& portPath, int* openError) {
  const auto fail = [openError](int errorNumber) {
    if (openError != nullptr) *openError = errorNumber;
    return kInvalidSerialHandle;
  };
  // Share mode 0: the port is this program's alone until it is closed.
  // OPEN_EXISTING: nothing is ever created under a port's name.
  const HANDLE port = CreateFileW(WidePath(ResolveSerialDevicePath(portPath)).c_str(),
                                  GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (port == INVALID_HANDLE_VALUE) return fail(OpenErrno(GetLastError()));
  if (GetFileType(port) != FILE_TYPE_CHAR) {
    CloseHandle(port);
    return fail(ENOTTY);
  }
  return reinterpret_cast<SerialHandle>(port);
}

bool ConfigureSerialLine(SerialHandle handle, int baudRate) {
  const HANDLE port = HandleOf(handle);
  DCB line{};
  line.DCBlength = sizeof line;
  if (!GetCommState(port, &line)) return false;
  line.BaudRate = static_cast<DWORD>(baudRate);
  // Binary: Windows supports no other mode, and in any other an EofChar
  // byte would end reads.
  line.fBinary = TRUE;
  line.fParity = FALSE;
  line.fOutxCtsFlow = FALSE;
  line.fOutxDsrFlow = FALSE;
  // Neither modem-control output is driven by the driver: both stay low.
  line.fDtrControl = DTR_CONTROL_DISABLE;
  line.fDsrSensitivity = FALSE;
  line.fTXContinueOnXoff = TRUE;
  line.fOutX = FALSE;
  line.fInX = FALSE;
  line.fErrorChar = FALSE;
  line.fNull = FALSE;
  line.fRtsControl = RTS_CONTROL_DISABLE;
  // A framing or overrun error never stops the reading.
  line.fAbortOnError = FALSE;
  line.XonLim = kFlowLimitChars;
  line.XoffLim = kFlowLimitChars;
  line.ByteSize = 8;
  line.Parity = NOPARITY;
  line.StopBits = ONESTOPBIT;
  line.XonChar = 0;
  line.XoffChar = 0;
  line.EofChar = 0;
  line.EvtChar = 0;
  const bool lineSet = SetCommState(port, &line) != 0;
  const bool timeoutsSet = SetReadTimeout(port);
  return lineSet && timeoutsSet;
}

bool LowerModemLines(SerialHandle handle) {
  const HANDLE port = HandleOf(handle);
  // Both, even when the first is refused.
  const bool rts = EscapeCommFunction(port, CLRRTS) != 0;
  const bool dtr = EscapeCommFunction(port, CLRDTR) != 0;
  return rts && dtr;
}

int ReadSerialByte(SerialHandle handle, uint8_t& byte, int timeoutMs, const SerialReadWake* wake) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  const HANDLE port = HandleOf(handle);
  EnsureReadTimeout(port);
  for (;;) {
    const bool woken = IsSet(wake);
    if (woken) {
      // No waiting: only a byte already there is read.
      const int waiting = ByteWaiting(port);
      if (waiting <= 0) return waiting;
    }
    const Clock::time_point sliceEnd = Clock::now() + std::chrono::milliseconds(kReadSliceMs);
    DWORD got = 0;
    if (!ReadFile(port, &byte, 1, &got, nullptr)) {
      SetErrnoFromLastError();
      return -1;
    }
    if (got == 1) return 1;
    // No byte: a silent line, or a device that is gone and answers every
    // read at once with nothing. The latter's error state cannot be read.
    if (ByteWaiting(port) < 0) return -1;
    if (woken || Clock::now() >= deadline) return 0;
    // A read that came back early with nothing must not make this spin.
    std::this_thread::sleep_until(std::min(sliceEnd, deadline));
  }
}

SerialReadWake::SerialReadWake() {
  const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (event != nullptr) m_handle = reinterpret_cast<intptr_t>(event);
}

SerialReadWake::~SerialReadWake() {
  if (m_handle != -1) CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}

void SerialReadWake::Set() {
  if (m_handle != -1) SetEvent(reinterpret_cast<HANDLE>(m_handle));
}

void SerialReadWake::Clear() {
  if (m_handle != -1) ResetEvent(reinterpret_cast<HANDLE>(m_handle));
}

std::ptrdiff_t WriteSerialBytes(SerialHandle handle, const uint8_t* bytes, size_t count) {
  DWORD written = 0;
  // The write time-outs return a write that the line cannot take in time
  // with what went out, possibly nothing.
  if (!WriteFile(HandleOf(handle), bytes, static_cast<DWORD>(count), &written, nullptr)) {
    SetErrnoFromLastError();
    return -1;
  }
  return static_cast<std::ptrdiff_t>(written);
}

bool DrainSerialLine(SerialHandle handle) { return FlushFileBuffers(HandleOf(handle)) != 0; }

void CloseSerialPort(SerialHandle handle) { CloseHandle(HandleOf(handle)); }
