// The line a lost or returning serial line leaves on the link event output
// of an unattended run.
#pragma once

#include <string>

#include "link/record_post.h"
#include "platform/local_time.h"

// "YYYY/MM/DD-hh:mm:ss <port>: line lost (<reason>); opening it again every
// second" for LinkEvent::kLineLost, where the reason is the system's text for
// error or "hung up" for 0; "YYYY/MM/DD-hh:mm:ss <port>: line back" for
// LinkEvent::kLineBack; empty for any other event. No line end.
std::string LinkEventLine(LinkEvent event, int error, const std::string& portName, const LocalTime& time);
