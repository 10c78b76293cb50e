// Events as a CSV table, as plenx-export --events writes them.
#pragma once

#include <string>

#include "decode/change_event.h"

// Appends the header row: Time,Severity,Unit,Parameter,Before,After.
void AppendChangeCsvHeader(std::string& out);

// Appends the row of event, UTF-8 with a CR LF line end and RFC 4180
// quoting: its time in ISO 8601 with milliseconds, its severity
// (SeverityName), the tab ("OUTDOOR"; empty for the run's own events), the
// parameter, and the texts before and after.
void AppendChangeCsvRow(const ChangeEvent& event, std::string& out);
