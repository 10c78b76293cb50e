// The lasting conditions of a run, as the window's state line shows them.
#include "run/run_conditions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

RunEvent Event(RunEventKind kind, std::string message = {}, uint64_t count = 0) {
  RunEvent event;
  event.kind = kind;
  event.message = std::move(message);
  event.count = count;
  return event;
}

RunRecord Record(bool logged, int64_t missingPosition = -1) {
  RunRecord record;
  record.logged = logged;
  record.missingPosition = missingPosition;
  return record;
}

const std::string kDiskFull = "Disk full while accessing /m/site.log.";

TEST(RunConditions, LogLinesNotWrittenAreCountedUntilTheRunEnds) {
  RunConditions conditions;
  conditions.Begin(false);
  EXPECT_TRUE(conditions.Lines().empty());
  // The writer says the first line of a stretch (the run's third); the
  // logged records taken after it are not written either.
  conditions.OnEvent(Event(RunEventKind::kLogWriteFailed, kDiskFull, 3));
  conditions.OnRecord(Record(true));
  conditions.OnRecord(Record(false));  // LOGEVERY skipped it
  conditions.OnRecord(Record(true));
  EXPECT_EQ(conditions.Lines(), std::vector<std::string>{"Log not written: 5 lines so far. " + kDiskFull});
  // A record taken before the writer resumed may be written after all: the
  // writer's count of the stretch is the one that holds.
  conditions.OnRecord(Record(true));
  conditions.OnEvent(Event(RunEventKind::kLogWriteResumed, {}, 3));
  const std::vector<std::string> missing = {"The log misses 5 lines of this run that could not be written."};
  EXPECT_EQ(conditions.Lines(), missing);
  conditions.OnEvent(Event(RunEventKind::kLogWriteFailed, kDiskFull, 6));
  conditions.OnEvent(Event(RunEventKind::kLogWriteResumed, {}, 1));
  RunEnd end;
  end.linesNotLogged = 6;
  conditions.End(end);
  EXPECT_EQ(conditions.Lines(),
            std::vector<std::string>{"The log misses 6 lines of this run that could not be written."});
  conditions.Begin(false);
  EXPECT_TRUE(conditions.Lines().empty());
}

// Each condition shows from the event that says it until the one that
// clears it, in the order they began; a run without a log says so first.
TEST(RunConditions, ConditionsLastUntilTheyClear) {
  const RunEventKind laterKind = static_cast<RunEventKind>(200);  // a kind this file does not know
  RunConditions conditions;
  conditions.Begin(true);
  conditions.OnEvent(Event(RunEventKind::kLineLost, "COM3: line lost (hung up)"));
  conditions.OnEvent(Event(RunEventKind::kRawCaptureFailed, "Disk full while accessing /m/site.raw."));
  conditions.OnEvent(Event(RunEventKind::kNoFrameMatches, "No frame matches."));
  conditions.OnEvent(Event(RunEventKind::kRecordTooShort, "Encountered an improper argument."));
  conditions.OnEvent(Event(laterKind, "Only 80 MB left on /m."));
  conditions.OnEvent(Event(RunEventKind::kLogReopened, "The log was removed; a new one is kept."));
  conditions.OnEvent(Event(RunEventKind::kLineQuiet));
  EXPECT_EQ(conditions.Lines(),
            (std::vector<std::string>{std::string(kRunNotRecordedText), "COM3: line lost (hung up)",
                                      "Disk full while accessing /m/site.raw. The raw capture has stopped.",
                                      "No frame matches.", "Encountered an improper argument.",
                                      "Only 80 MB left on /m."}));
  conditions.OnEvent(Event(laterKind, "Only 40 MB left on /m."));
  conditions.OnEvent(Event(RunEventKind::kLineBack, "COM3: line back"));
  conditions.OnEvent(Event(RunEventKind::kRawCaptureResumed));
  conditions.OnEvent(Event(RunEventKind::kFramesMatch));
  conditions.OnRecord(Record(false));
  EXPECT_EQ(conditions.Lines(),
            (std::vector<std::string>{std::string(kRunNotRecordedText), "Only 40 MB left on /m."}));
  conditions.OnEvent(Event(laterKind));
  conditions.OnEvent(Event(RunEventKind::kLineLost, "COM3: line lost (hung up)"));
  conditions.End(RunEnd{});
  EXPECT_TRUE(conditions.Lines().empty());
}

}  // namespace
