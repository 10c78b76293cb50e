// The summary of an unattended run.
#include "headless/run_summary.h"

namespace {

std::string Count(uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string RunSummaryText(const RunEnd& end, bool keepsLog) {
  std::string text = "run ended: " + Count(end.records, "record", "records");
  if (!keepsLog) return text + ", no log kept";
  text += end.linesNotLogged == 0
              ? ", all logged"
              : ", " + Count(end.linesNotLogged, "log line", "log lines") + " not written";
  text += end.archivePath.empty() ? ", the archive was not written" : ", archived in " + end.archivePath;
  return text;
}

bool RunEndedWell(const RunEnd& end) { return end.linesNotLogged == 0 && end.failureMessages.empty(); }
