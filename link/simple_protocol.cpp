// Reader thread and port lifecycle of the serial link, with the reopening of
// a lost port.
#include "link/simple_protocol.h"

#include <cerrno>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

#include "link/record_text.h"
#include "platform/serial_port_name.h"

namespace {

constexpr std::string_view kDevicePathPrefix = "\\\\.\\COM";

// The port opened and its line configured; a device that refuses a setting
// is used with the settings it has.
// *openError as OpenSerialPort gives it.
SerialHandle OpenConfiguredPort(const std::string& portPath, int baudRate, int* openError = nullptr) {
  const SerialHandle port = OpenSerialPort(portPath, openError);
  if (port != kInvalidSerialHandle) {
    ConfigureSerialLine(port, baudRate);
    LowerModemLines(port);
  }
  return port;
}

}  // namespace

CSimpleProtocol::~CSimpleProtocol() {
  StopReader();
  if (m_port != kInvalidSerialHandle) {
    CloseSerialPort(m_port);
  }
}

void CSimpleProtocol::SetValueCount(int valueCount) { m_valueCount = valueCount; }

void CSimpleProtocol::SetPortName(const std::string& portName) {
  const int number = ComPortNumber(portName);
  m_portName = number > 0 ? std::string(kDevicePathPrefix) + std::to_string(number) : portName;
}

int CSimpleProtocol::Open() {
  m_lastOpenError = 0;
  if (m_reader.joinable()) {
    return -1;
  }
  std::optional<FrameDecoder> decoder = FrameDecoder::Create(m_valueCount);
  if (!decoder) {
    return -1;
  }
  m_port = OpenConfiguredPort(m_portName, m_baudRate, &m_lastOpenError);
  if (m_port == kInvalidSerialHandle) {
    return -1;
  }
  m_stop.Clear();
  m_readWake.Clear();
  m_captureFailing = false;
  try {
    m_reader = std::thread(&CSimpleProtocol::ReadLoop, this, std::move(*decoder), m_rawCapture, m_portName);
  } catch (const std::system_error& error) {
    m_lastOpenError = error.code().value();
    CloseSerialPort(m_port);
    m_port = kInvalidSerialHandle;
    return -1;
  }
  return 0;
}

int CSimpleProtocol::Close() {
  StopReader();
  if (m_port != kInvalidSerialHandle) {
    CloseSerialPort(m_port);
    m_port = kInvalidSerialHandle;
  }
  return 0;
}

void CSimpleProtocol::SetTarget(WindowHandle window, uint32_t message) { m_target.Store(window, message); }

void CSimpleProtocol::StopReader() {
  if (m_reader.joinable()) {
    m_stop.Set();
    m_readWake.Set();
    m_reader.join();
  }
}

void CSimpleProtocol::ReadLoop(FrameDecoder decoder, RawCapture* capture, std::string portPath) {
  while (!m_stop.IsSet()) {
    uint8_t byte = 0;
    const int read = ReadSerialByte(m_port, byte, kSerialReadTimeoutMs, &m_readWake);
    if (read == 1) {
      m_bytesRead.fetch_add(1, std::memory_order_relaxed);
      Capture(capture, byte);
      if (decoder.PutByte(byte)) {
        m_unitIndex.store(decoder.UnitIndex());
        PostRecord(decoder);
      }
      continue;
    }
    // An empty or failed read means a silence on the line: a frame never
    // spans one, so the partial frame is dropped. A silence is also the
    // moment to bring the capture file up to date.
    const int error = errno;
    decoder.Reset();
    Capture(capture, std::nullopt);
    if (read < 0 && !Reopen(portPath, error)) break;
  }
  Capture(capture, std::nullopt);
}

void CSimpleProtocol::Capture(RawCapture* capture, std::optional<uint8_t> byte) {
  if (capture == nullptr) return;
  const uint64_t writtenBefore = capture->BytesWritten();
  if (!(byte ? capture->Append(*byte) : capture->Flush())) {
    // Said once; the capture goes on trying with the bytes that follow.
    if (!m_captureFailing) PostEvent(LinkEvent::kRawCaptureFailed, errno);
    m_captureFailing = true;
  } else if (m_captureFailing && capture->BytesWritten() > writtenBefore) {
    m_captureFailing = false;
    PostEvent(LinkEvent::kRawCaptureResumed, 0);
  }
}

bool CSimpleProtocol::Reopen(const std::string& portPath, int error) {
  CloseSerialPort(m_port);
  m_port = kInvalidSerialHandle;
  PostEvent(LinkEvent::kLineLost, error);
  // The first attempt waits too: a device that opens but fails at once
  // is then tried once a second, not in a tight loop.
  while (!m_stop.WaitFor(m_reopenIntervalMs)) {
    m_reopenAttempts.fetch_add(1);
    const SerialHandle port = OpenConfiguredPort(portPath, m_baudRate);
    if (port == kInvalidSerialHandle) continue;
    m_port = port;
    PostEvent(LinkEvent::kLineBack, 0);
    return true;
  }
  return false;
}

void CSimpleProtocol::PostRecord(const FrameDecoder& decoder) {
  const RecordTarget::Binding target = m_target.Load();
  if (target.window == nullptr || target.message == 0) {
    return;
  }
  // A refused post frees the record with its argument; the record is lost,
  // as a record posted to a closed window is.
  target.window->PostRecord(target.message, std::make_unique<std::string>(FormatRecordText(decoder.Values())),
                            decoder.UnitIndex());
}

void CSimpleProtocol::PostEvent(LinkEvent event, int error) {
  const RecordTarget::Binding target = m_target.Load();
  if (target.window != nullptr) target.window->PostLinkEvent(event, error);
}
