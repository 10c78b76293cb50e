// The payload of an event.
#include "broker/event_payload.h"

#include <cstdio>

#include "decode/json_text.h"

std::string EventPayload(const ChangeEvent& change) {
  char time[64];
  const LocalTime& t = change.time;
  std::snprintf(time, sizeof time, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour,
                t.minute, t.second, t.milliseconds);
  std::string json = "{\"time\":";
  AppendJsonString(time, json);
  json += ",\"timeMs\":";
  AppendJsonInteger(change.timeMs, json);
  json += ",\"record\":";
  AppendJsonInteger(static_cast<int64_t>(change.record), json);
  json += ",\"severity\":";
  AppendJsonString(SeverityName(change.severity), json);
  json += ",\"unit\":";
  AppendJsonShownText(change.tab, json);
  json += ",\"parameter\":";
  AppendJsonShownText(change.parameter, json);
  json += ",\"before\":";
  AppendJsonShownText(change.before, json);
  json += ",\"after\":";
  AppendJsonShownText(change.after, json);
  json += '}';
  return json;
}
