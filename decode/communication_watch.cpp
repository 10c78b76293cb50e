// The watchdog's rule over record stamps and the watchdog's own firing.
#include "decode/communication_watch.h"

#include "decode/replay_pacer.h"
#include "decode/time_stamp.h"

namespace {

ChangeEvent LineEvent(ChangeKind kind, int64_t timeMs, uint64_t record) {
  ChangeEvent event;
  event.kind = kind;
  const bool raised = kind == ChangeKind::kCommunicationError;
  event.severity = raised ? EventSeverity::kFault : EventSeverity::kCleared;
  event.time = WallClockTime(timeMs);
  event.timeMs = timeMs;
  event.record = record;
  event.parameter = kLineParameter;
  event.before = raised ? kLineReceivingText : kCommunicationErrorText;
  event.after = raised ? kCommunicationErrorText : kLineReceivingText;
  return event;
}

}  // namespace

void CommunicationWatch::Start(int64_t timeMs) {
  m_sinceMs = timeMs;
  m_recordSeen = false;
  m_raised = false;
}

void CommunicationWatch::Quiet(int64_t timeMs, std::vector<ChangeEvent>& out) {
  if (m_raised) return;
  if (m_recordSeen) {
    Raise(timeMs, out);
  } else {
    RaiseIfDue(timeMs, out);
  }
}

void CommunicationWatch::Record(int64_t timeMs, uint64_t record, std::vector<ChangeEvent>& out) {
  if (!m_raised) RaiseIfDue(timeMs, out);
  if (m_raised) out.push_back(LineEvent(ChangeKind::kCommunicationBack, timeMs, record));
  m_sinceMs = timeMs;
  m_recordSeen = true;
  m_raised = false;
}

void CommunicationWatch::End(int64_t timeMs, std::vector<ChangeEvent>& out) {
  if (!m_raised) RaiseIfDue(timeMs, out);
}

void CommunicationWatch::RaiseIfDue(int64_t timeMs, std::vector<ChangeEvent>& out) {
  if (m_sinceMs && timeMs - *m_sinceMs >= kQuietLineMs) Raise(*m_sinceMs + kQuietLineMs, out);
}

void CommunicationWatch::Raise(int64_t timeMs, std::vector<ChangeEvent>& out) {
  out.push_back(LineEvent(ChangeKind::kCommunicationError, timeMs, 0));
  m_raised = true;
}
