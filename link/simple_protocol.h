// The serial link: opens the port, runs the reader thread that decodes
// frames, and posts every valid frame to the receiving window.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "link/frame_decoder.h"
#include "link/record_target.h"
#include "platform/serial_port.h"

// One link per main window. The user-interface thread calls every operation;
// the reader thread exists from a successful Open to the next Close. The
// owner calls Close before destroying a link it opened.
class CSimpleProtocol {
 public:
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

  // Opens the port, configures the line (settings the device refuses are
  // ignored) and starts the reader. 0 on success; -1 when the port cannot be
  // opened or is in use, no frame can carry the value count (below 1, or
  // over INT_MAX bytes), or a reader already runs. No thread is started on
  // -1.
  virtual int Open();

  // Asks the reader to stop, waits 2500 ms, joins the reader and closes the
  // port. Always 0. Nothing is posted after it returns.
  virtual int Close();

  // Directs records to message at window; may be called while the reader
  // runs. A record completed while either is unset (null, 0) is dropped.
  virtual void SetTarget(WindowHandle window, uint32_t message);

  // The stored device path.
  const std::string& PortName() const { return m_portName; }
  // Unit index of the last valid frame, -1 before the first. Any thread.
  int UnitIndex() const { return m_unitIndex.load(); }

 private:
  void ReadLoop(FrameDecoder decoder);
  void PostRecord(const FrameDecoder& decoder);
  void StopReader();

  SerialHandle m_port = kInvalidSerialHandle;
  std::thread m_reader;
  // Message number and target window, published together.
  RecordTarget m_target;
  std::string m_portName = "COM1:";
  int m_baudRate = kSerialBaudRate;
  int m_valueCount = 0;
  std::atomic<int> m_unitIndex{-1};
  std::atomic<bool> m_stop{false};
};
