// The serial link: opens the port, runs the reader thread that decodes
// frames, posts every valid frame to the receiving window, and opens the
// port again when it is lost.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>

#include "link/frame_decoder.h"
#include "link/record_target.h"
#include "link/stop_signal.h"
#include "platform/raw_capture.h"
#include "platform/serial_port.h"

// One link per main window. The user-interface thread calls every operation;
// the reader thread exists from a successful Open to the next Close. The
// owner calls Close before destroying a link it opened.
class CSimpleProtocol {
 public:
  // Time between two attempts to open a lost port again.
  static constexpr int kReopenIntervalMs = 1000;

  CSimpleProtocol() = default;
  CSimpleProtocol(const CSimpleProtocol&) = delete;
  CSimpleProtocol& operator=(const CSimpleProtocol&) = delete;

  // Should a reader still run (Close was not called), stops it and closes
  // the port rather than leave a thread reading a destroyed object.
  virtual ~CSimpleProtocol();

  // Values per frame. Call before Open; the running reader keeps the count
  // it started with.
  virtual void SetValueCount(int valueCount);

  // Stores the device path of a port name: a COM port name ("COMn", also
  // "COMn:" or "\\.\COMn", n from 1 up; see ComPortNumber) becomes
  // "\\.\COM<n>"; any other name is stored as given, a device path.
  virtual void SetPortName(const std::string& portName);

  // Where the reader appends every byte it reads from the line (an open
  // RawCapture), or nullptr for no capture. Call before Open; the running
  // reader keeps the capture it started with, and writes the last bytes to
  // it before Close returns. The owner closes the capture after Close.
  void SetRawCapture(RawCapture* capture) { m_rawCapture = capture; }

  // Opens the port, configures the line (settings the device refuses are
  // ignored) and starts the reader. 0 on success; -1 when the port cannot be
  // opened or is in use, no frame can carry the value count (below 1, or
  // over INT_MAX bytes), or a reader already runs. No thread is started on
  // -1.
  //
  // When the running port hangs up or fails, the reader closes it, reports
  // LinkEvent::kLineLost, and every reopen interval (kReopenIntervalMs unless
  // SetReopenIntervalMs says otherwise) opens the port again
  // by its name (a per-user COM port link is resolved anew, so an adapter
  // that comes back under another device name is found) until that works
  // or Close is called; then it configures the line as here, reports
  // LinkEvent::kLineBack and reads on with the partial frame dropped.
  virtual int Open();

  // Why the last Open returned -1: an errno value (see OpenSerialPort:
  // ENOENT, EACCES, EBUSY, ENOTTY, ...), or 0 when the port itself was not
  // the cause (no frame can carry the value count, a reader already runs).
  int LastOpenError() const { return m_lastOpenError; }

  // Asks the reader to stop, wakes it from its read or its wait to reopen
  // a lost port, joins it and closes the port. Always 0. Nothing is posted
  // after it returns; the records completed before it are all posted. The
  // owner may call it on another thread than the one that opened the link,
  // as long as no other operation runs meanwhile.
  virtual int Close();

  // Sets the time between two attempts to reopen a lost port (1 or more;
  // less counts as 1). Call before Open. The program keeps
  // kReopenIntervalMs; tests shorten it.
  void SetReopenIntervalMs(int reopenIntervalMs) {
    m_reopenIntervalMs = reopenIntervalMs < 1 ? 1 : reopenIntervalMs;
  }

  // Directs records to message at window; may be called while the reader
  // runs. A record completed while either is unset (null, 0) is dropped.
  virtual void SetTarget(WindowHandle window, uint32_t message);

  // The stored device path.
  const std::string& PortName() const { return m_portName; }
  // Unit index of the last valid frame, -1 before the first. Any thread.
  int UnitIndex() const { return m_unitIndex.load(); }
  // Attempts to open a lost port again since construction. Any thread.
  int ReopenAttempts() const { return m_reopenAttempts.load(); }
  // Bytes read from the line since construction, valid frames or not. Any
  // thread.
  uint64_t BytesRead() const { return m_bytesRead.load(std::memory_order_relaxed); }

 private:
  void ReadLoop(FrameDecoder decoder, RawCapture* capture, std::string portPath);
  void PostRecord(const FrameDecoder& decoder);
  void PostEvent(LinkEvent event, int error);
  // On the reader: adds a byte to the capture, or writes its collected
  // bytes (byte: none), and reports a failure or the first write after one.
  void Capture(RawCapture* capture, std::optional<uint8_t> byte);
  // On the reader: closes the lost port and opens it again; returns when it
  // is open (true) or Close was called (false).
  bool Reopen(const std::string& portPath, int error);
  void StopReader();

  // The reader owns the port while it runs (it closes and reopens a lost
  // one); the user-interface thread touches it only when no reader runs.
  SerialHandle m_port = kInvalidSerialHandle;
  std::thread m_reader;
  // Message number and target window, published together.
  RecordTarget m_target;
  std::string m_portName = "COM1:";
  int m_baudRate = kSerialBaudRate;
  int m_valueCount = 0;
  int m_lastOpenError = 0;
  int m_reopenIntervalMs = kReopenIntervalMs;
  RawCapture* m_rawCapture = nullptr;
  // The reader's capture writes fail (reported) and none has worked since.
  bool m_captureFailing = false;
  std::atomic<int> m_unitIndex{-1};
  std::atomic<int> m_reopenAttempts{0};
  std::atomic<uint64_t> m_bytesRead{0};
  StopSignal m_stop;
  // Cuts the reader's read short once m_stop is set.
  SerialReadWake m_readWake;
};
