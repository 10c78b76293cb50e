// Event list entries for the run's own events.
#include "page/run_event_text.h"

#include <string>

#include "decode/communication_error_text.h"
#include "platform/system_error_text.h"

namespace {

PageEvent Entry(const LocalTime& time, int64_t timeMs, PageEventSeverity severity, std::string kind,
                std::string text) {
  PageEvent entry;
  entry.time = time;
  entry.timeMs = timeMs;
  entry.severity = severity;
  entry.kind = std::move(kind);
  entry.text = std::move(text);
  return entry;
}

// The line's name as the technician chose it, else its device.
std::string LineName(const RunEvent& event, const RunStart& start) {
  if (!start.portName.empty()) return start.portName;
  return event.path.empty() ? std::string("The line") : event.path;
}

}  // namespace

std::optional<PageEvent> PageEventOf(const RunEvent& event, const RunStart& start) {
  // The run's own sentence when it gave one; these stand in where it gave none.
  std::string fallback;
  PageEventSeverity severity = PageEventSeverity::kInfo;
  const char* kind = "";
  switch (event.kind) {
    case RunEventKind::kLineQuiet:
      kind = "line-quiet";
      severity = PageEventSeverity::kFault;
      fallback = kCommunicationErrorText;
      break;
    case RunEventKind::kLineReceiving:
      kind = "line-receiving";
      fallback = "Records arrive again.";
      break;
    case RunEventKind::kLineLost:
      kind = "line-lost";
      severity = PageEventSeverity::kFault;
      fallback = LineName(event, start) + ": line lost (" +
                 (event.error == 0 ? std::string("hung up") : SystemErrorText(event.error)) +
                 "); opening it again every second";
      break;
    case RunEventKind::kLineBack:
      kind = "line-back";
      fallback = LineName(event, start) + ": line back";
      break;
    case RunEventKind::kNoFrameMatches:
      kind = "no-frame-matches";
      severity = PageEventSeverity::kFault;
      fallback = "Data is arriving but no frame matches the configured layout.";
      break;
    case RunEventKind::kFramesMatch:
      kind = "frames-match";
      fallback = "Frames match the layout again.";
      break;
    case RunEventKind::kLogWriteFailed:
      kind = "log-write-failed";
      severity = PageEventSeverity::kFault;
      fallback = "Disk full while accessing " + event.path + ".";
      break;
    case RunEventKind::kLogWriteResumed:
      kind = "log-write-resumed";
      fallback = "Log lines are written again; " + std::to_string(event.count) + " were not.";
      break;
    case RunEventKind::kLogReopened:
      kind = "log-reopened";
      severity = PageEventSeverity::kWarning;
      fallback = "The log file " + event.path +
                 " was removed or renamed during the run. Logging goes on in a new file of that name.";
      break;
    case RunEventKind::kRawCaptureFailed:
      kind = "raw-capture-failed";
      severity = PageEventSeverity::kFault;
      fallback = "Disk full while accessing " + event.path + ".";
      break;
    case RunEventKind::kRawCaptureResumed:
      kind = "raw-capture-resumed";
      fallback = "The raw capture is written again.";
      break;
    case RunEventKind::kRecordTooShort:
      kind = "record-too-short";
      severity = PageEventSeverity::kFault;
      fallback = "Encountered an improper argument.";
      break;
    case RunEventKind::kArchiveProgress:
      return std::nullopt;
    // The log's upkeep on site says what it did in its own sentence.
    case RunEventKind::kLogEndRepaired:
      kind = "log-end-repaired";
      severity = PageEventSeverity::kWarning;
      fallback = "The log's last line was cut short and set aside.";
      break;
    case RunEventKind::kDayFilesRecovered:
      kind = "day-files-recovered";
      severity = PageEventSeverity::kWarning;
      fallback = "Day files left by a cut were archived.";
      break;
    case RunEventKind::kDayArchived:
      kind = "day-archived";
      fallback = "The day's log was archived in " + event.path + ".";
      break;
    case RunEventKind::kDayArchiveFailed:
      kind = "day-archive-failed";
      severity = PageEventSeverity::kFault;
      fallback = "The day's log could not be archived.";
      break;
    case RunEventKind::kOldArchivesRemoved:
      kind = "old-archives-removed";
      fallback = std::to_string(event.count) + " old archives were removed.";
      break;
    case RunEventKind::kDiskSpaceLow:
      kind = "disk-space-low";
      severity = PageEventSeverity::kWarning;
      fallback = "Free space on the log's disk is below the limit.";
      break;
  }
  return Entry(event.time, event.timeMs, severity, kind, event.message.empty() ? fallback : event.message);
}

PageEvent RunStartedEvent(const RunStart& start) {
  std::string text;
  if (start.replay) {
    text = "Replay of " + start.replayPath + " started.";
  } else {
    text = "Run started on " + start.portName;
    text += start.logPath.empty() ? ", keeping no log." : ", logging to " + start.logPath + ".";
  }
  return Entry(start.time, start.timeMs, PageEventSeverity::kInfo, "run-started", text);
}

std::vector<PageEvent> RunEndedEvents(const RunEnd& end) {
  std::string text = "Run ended after " + std::to_string(end.records) + " records";
  text += end.archivePath.empty() ? "." : "; archive " + end.archivePath + " written.";
  std::vector<PageEvent> entries{Entry(end.time, end.timeMs, PageEventSeverity::kInfo, "run-ended", text)};
  for (const std::string& failure : end.failureMessages) {
    entries.push_back(Entry(end.time, end.timeMs, PageEventSeverity::kFault, "run-failure", failure));
  }
  return entries;
}

std::optional<PageEvent> PageEventOfChange(const ChangeEvent& change) {
  if (change.kind != ChangeKind::kValue) return std::nullopt;
  PageEventSeverity severity = PageEventSeverity::kState;
  if (change.severity == EventSeverity::kFault) severity = PageEventSeverity::kFault;
  if (change.severity == EventSeverity::kCleared) severity = PageEventSeverity::kInfo;
  PageEvent entry = Entry(change.time, change.timeMs, severity, "value",
                          change.tab + " " + change.parameter + ": " + change.before + " -> " + change.after);
  entry.tab = change.tab;
  entry.parameter = change.parameter;
  entry.before = change.before;
  entry.after = change.after;
  return entry;
}
