// The topics of one site on the broker, all under plenx/<site>/:
//
//   status                  retained "online" / "offline" (the last will)
//   link                    retained "receiving", "COMMUNICATION ERROR",
//                           "port lost", "stopped"
//   record                  every logged record (record_payload.h), QoS 1
//   event                   every event of the run as JSON (event_payload.h),
//                           QoS 1, while connected
//   <unit>/<parameter>      retained, the value as the window shows it
//   <unit>/state            retained, the unit's values as one JSON object
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "decode/communication_error_text.h"

inline constexpr std::string_view kTopicRoot = "plenx";
inline constexpr std::string_view kStatusLevel = "status";
inline constexpr std::string_view kLinkLevel = "link";
inline constexpr std::string_view kRecordLevel = "record";
inline constexpr std::string_view kEventLevel = "event";
inline constexpr std::string_view kUnitStateLevel = "state";
// The levels under plenx/<site>/ that are not units.
inline constexpr std::array<std::string_view, 4> kSiteTopicLevels = {kStatusLevel, kLinkLevel, kRecordLevel,
                                                                     kEventLevel};

inline constexpr std::string_view kStatusOnline = "online";
inline constexpr std::string_view kStatusOffline = "offline";

inline constexpr std::string_view kLinkReceiving = "receiving";
inline constexpr std::string_view kLinkCommunicationError = kCommunicationErrorText;
inline constexpr std::string_view kLinkPortLost = "port lost";
inline constexpr std::string_view kLinkStopped = "stopped";

// The subscription that takes the records of every site.
inline constexpr std::string_view kAllRecordsFilter = "plenx/+/record";

// "plenx/<site>/<level>".
std::string SiteTopic(std::string_view site, std::string_view level);
// "plenx/<site>/<unit>/<param>".
std::string ValueTopic(std::string_view site, std::string_view unit, std::string_view param);

// The site of a record topic "plenx/<site>/record"; empty for any other
// topic.
std::string_view SiteOfRecordTopic(std::string_view topic);

// Why name cannot be a site (a topic level of its own), worded to follow
// "the site name '<name>' "; empty when it can. Refused: empty, '/', '+',
// '#' (they would change the topic or act as wildcards), control
// characters, and a leading '.' or '$' (a hidden folder for the collector;
// topics the broker keeps for itself).
std::string SiteNameProblem(std::string_view name);
