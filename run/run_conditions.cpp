// The lasting conditions of a run, one line each.
#include "run/run_conditions.h"

#include <algorithm>

void RunConditions::Begin(bool notRecorded) {
  *this = RunConditions();
  m_noLog = notRecorded;
}

void RunConditions::End(const RunEnd& end) {
  m_linesNotLogged = end.linesNotLogged;
  m_noLog = false;
  m_logFailing = false;
  m_lines.clear();
}

void RunConditions::OnRecord(const RunRecord& record) {
  // The writer said its failure once; the lines it was handed since are not
  // written either until it says they are again.
  if (m_logFailing && record.logged) ++m_linesNotLogged;
  if (record.missingPosition < 0) Clear(RunEventKind::kRecordTooShort);
}

void RunConditions::OnEvent(const RunEvent& event) {
  switch (event.kind) {
    case RunEventKind::kLogWriteFailed:
      // Said on the first line of the stretch; count: the run's lines not
      // written, that one included.
      m_logFailing = true;
      m_logFailure = event.message;
      m_notLoggedBefore = event.count > 0 ? event.count - 1 : 0;
      m_linesNotLogged = event.count;
      break;
    case RunEventKind::kLogWriteResumed:
      // count: the stretch's lines, now exact.
      m_logFailing = false;
      m_linesNotLogged = m_notLoggedBefore + event.count;
      break;
    case RunEventKind::kRawCaptureFailed:
      Set(event.kind, event.message + " The raw capture has stopped.");
      break;
    case RunEventKind::kRawCaptureResumed:
      Clear(RunEventKind::kRawCaptureFailed);
      break;
    case RunEventKind::kNoFrameMatches:
    case RunEventKind::kLineLost:
    case RunEventKind::kRecordTooShort:
      Set(event.kind, event.message);
      break;
    case RunEventKind::kFramesMatch:
      Clear(RunEventKind::kNoFrameMatches);
      break;
    case RunEventKind::kLineBack:
      Clear(RunEventKind::kLineLost);
      break;
    case RunEventKind::kLineQuiet:
    case RunEventKind::kLineReceiving:
    case RunEventKind::kLogReopened:  // a notice: logging goes on in the new file
    case RunEventKind::kArchiveProgress:
      break;
    default:
      // A kind of its own: its message stands until one of the same kind
      // without words takes it back.
      if (event.message.empty()) {
        Clear(event.kind);
      } else {
        Set(event.kind, event.message);
      }
      break;
  }
}

std::vector<std::string> RunConditions::Lines() const {
  std::vector<std::string> lines;
  if (m_noLog) lines.emplace_back(kRunNotRecordedText);
  if (m_logFailing || m_linesNotLogged > 0) lines.push_back(LogLine());
  std::vector<std::pair<uint64_t, std::string>> others;
  for (const auto& [kind, line] : m_lines) others.push_back(line);
  std::sort(others.begin(), others.end());
  for (auto& [order, line] : others) lines.push_back(std::move(line));
  return lines;
}

std::string RunConditions::LogLine() const {
  const std::string count = std::to_string(m_linesNotLogged) + (m_linesNotLogged == 1 ? " line" : " lines");
  if (m_logFailing) return "Log not written: " + count + " so far. " + m_logFailure;
  return "The log misses " + count + " of this run that could not be written.";
}

void RunConditions::Set(RunEventKind kind, std::string line) {
  auto found = m_lines.find(kind);
  if (found != m_lines.end()) {
    found->second.second = std::move(line);
    return;
  }
  m_lines.emplace(kind, std::make_pair(m_next++, std::move(line)));
}

void RunConditions::Clear(RunEventKind kind) { m_lines.erase(kind); }
