// Reader thread and port lifecycle of the serial link.
#include "link/simple_protocol.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

#include "link/record_text.h"
#include "platform/serial_port_name.h"

namespace {

constexpr std::string_view kDevicePathPrefix = "\\\\.\\COM";

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
  m_port = OpenSerialPort(m_portName, &m_lastOpenError);
  if (m_port == kInvalidSerialHandle) {
    return -1;
  }
  // A device that refuses a setting is used with the settings it has.
  ConfigureSerialLine(m_port, m_baudRate);
  LowerModemLines(m_port);
  m_stop.store(false);
  try {
    m_reader = std::thread(&CSimpleProtocol::ReadLoop, this, std::move(*decoder));
  } catch (const std::system_error& error) {
    m_lastOpenError = error.code().value();
    CloseSerialPort(m_port);
    m_port = kInvalidSerialHandle;
    return -1;
  }
  return 0;
}

int CSimpleProtocol::Close() {
  m_stop.store(true);
  std::this_thread::sleep_for(std::chrono::milliseconds(m_closeWaitMs));
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
    m_stop.store(true);
    m_reader.join();
  }
}

void CSimpleProtocol::ReadLoop(FrameDecoder decoder) {
  while (!m_stop.load()) {
    uint8_t byte = 0;
    // An empty or failed read means a silence on the line: a frame never
    // spans one, so the partial frame is dropped.
    if (ReadSerialByte(m_port, byte, kSerialReadTimeoutMs) != 1) {
      decoder.Reset();
    } else if (decoder.PutByte(byte)) {
      m_unitIndex.store(decoder.UnitIndex());
      PostRecord(decoder);
    }
  }
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
