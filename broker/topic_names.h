// Topic-safe names for the units and parameters of a run's layout.
//
// A tab text or a label (Windows-1252) becomes one topic level of lower-case
// ASCII letters, digits and '_': letters with accents lose them ("Ä" -> "a",
// "ß" -> "ss"), every run of anything else (blanks, '/', '+', '#', '[', '°')
// becomes one '_', and '_' is cut from both ends. "INDOOR A / HK" ->
// "indoor_a_hk", "Outdoor Air Temperature [°F]" ->
// "outdoor_air_temperature_f". A text left empty becomes "unit" or "value".
// A name already taken in the same place (two labels alike, a unit called
// "status") gets "_2", "_3", ... in the order of the layout, so the names
// stay the same from run to run while the configuration does.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct RunLayout;

// The topic level for text (Windows-1252), before any "_2" is added; empty
// when text has no letter or digit.
std::string TopicSafeName(std::string_view text);

struct LayoutTopicNames {
  // By RunLayout list: the unit's level ("outdoor", "indoor_a_hk", ...).
  std::vector<std::string> units;
  // By RunLayout row: the parameter's level within its unit.
  std::vector<std::string> params;
};

// The names of every list and row of layout. Units never take a name the
// site uses itself (status, link, record); a parameter never takes "state",
// the unit's JSON.
LayoutTopicNames MakeLayoutTopicNames(const RunLayout& layout);
