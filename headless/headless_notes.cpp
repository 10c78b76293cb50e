// The standard error of an unattended run.
#include "headless/headless_notes.h"

#include <cstdio>

#include "config/text_encoding.h"

namespace {

// Longest time stamp even for out-of-range fields (6 ints).
constexpr size_t kStampBufferBytes = 96;

// "YYYY/MM/DD-hh:mm:ss".
std::string StampText(const LocalTime& time) {
  char stamp[kStampBufferBytes];
  std::snprintf(stamp, sizeof stamp, "%04d/%02d/%02d-%02d:%02d:%02d", time.year, time.month, time.day,
                time.hour, time.minute, time.second);
  return stamp;
}

// The events the window shows in a box.
bool IsBoxed(RunEventKind kind) {
  switch (kind) {
    case RunEventKind::kLogWriteFailed:
    case RunEventKind::kLogReopened:
    case RunEventKind::kRawCaptureFailed:
    case RunEventKind::kRecordTooShort:
    case RunEventKind::kNoFrameMatches:
      return true;
    default:
      return false;
  }
}

}  // namespace

void HeadlessNotes::OnRunEvent(const RunEvent& event) {
  if (event.kind == RunEventKind::kLineLost || event.kind == RunEventKind::kLineBack) {
    // The port's name and the system's words, printed as they are.
    Write(m_program + ": " + StampText(event.time) + " " + event.message + "\n", true);
  } else if (IsBoxed(event.kind)) {
    Write(MessageLine({}, event.message), true);
  }
}

void HeadlessNotes::OnRunEnded(const RunEnd& end) {
  for (const std::string& message : end.failureMessages) Write(MessageLine({}, message), true);
  for (const std::string& message : end.noticeMessages) Write(MessageLine({}, message), true);
  if (m_onEnded) m_onEnded(end);
}

void HeadlessNotes::Message(std::string_view caption, std::string_view text) {
  Write(MessageLine(caption, text), false);
}

void HeadlessNotes::Announce(std::string_view note) {
  std::lock_guard lock(m_mutex);
  std::string text = m_program + ": " + std::string(note) + "\n" + m_held;
  m_held.clear();
  m_announced = true;
  std::fwrite(text.data(), 1, text.size(), m_out);
  std::fflush(m_out);
}

std::string HeadlessNotes::MessageLine(std::string_view caption, std::string_view text) const {
  std::string line;
  AppendShownTextAsUtf8(caption.empty() ? kMessageCaption : caption, line);
  line += ": ";
  AppendShownTextAsUtf8(text, line);
  line += '\n';
  return line;
}

void HeadlessNotes::Write(const std::string& line, bool held) {
  std::lock_guard lock(m_mutex);
  if (held && !m_announced) {
    m_held += line;
    return;
  }
  std::fwrite(line.data(), 1, line.size(), m_out);
  std::fflush(m_out);
}
