// Names of event severities.
#include "decode/change_event.h"

const char* SeverityName(EventSeverity severity) {
  switch (severity) {
    case EventSeverity::kFault:
      return "fault";
    case EventSeverity::kCleared:
      return "cleared";
    case EventSeverity::kState:
      break;
  }
  return "state";
}
