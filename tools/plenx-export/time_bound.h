// The times of --from and --to: a date, or a date and a time, as the log
// writes them or in ISO 8601.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/local_time.h"

// Which end of the filter a time bounds; it decides how missing parts fill.
enum class BoundSide { kFrom, kTo };

// Parses "YYYY-MM-DD" or "YYYY/MM/DD", optionally followed by 'T', a blank or
// '-' and "hh:mm", "hh:mm:ss" or "hh:mm:ss.f" with one to three decimals:
// 2015-03-07T14:05:09.042 (ISO 8601) and 2015/03/07-14:05:09.042 (the log)
// both work. Parts left out are the earliest for kFrom and the latest for
// kTo, so "--to 2015-03-07" takes in the whole day and "--to 14:05" the
// whole minute. Time zones are refused: the log's times are local times
// without one. nullopt with error set when text is no such time.
std::optional<LocalTime> ParseTimeBound(std::string_view text, BoundSide side, std::string& error);

// Parses a span of time: one or more parts of a whole number and a unit, h,
// m, s or ms ("2m", "30s", "1m30s", "500ms"); a bare number is seconds.
// nullopt with error set when text is no such span.
std::optional<int64_t> ParseDurationMs(std::string_view text, std::string& error);
