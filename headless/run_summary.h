// The last word of an unattended live run on standard error, and whether
// the run ended well: every record logged and the archive written.
#pragma once

#include <string>

#include "run/run_observer.h"

// "run ended: 7200 records, all logged, archived in /x/2026-12-11_site.zip",
// or with the log lines not written and "the archive was not written".
// keepsLog: the run had a log file.
std::string RunSummaryText(const RunEnd& end, bool keepsLog);

// False when log lines were not written or a failure was left to say (the
// archive, the log's last flush).
bool RunEndedWell(const RunEnd& end);
