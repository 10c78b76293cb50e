// The unit views as text: the banner's state and every tab's Parameter/Value
// rows, as an unattended run prints them on standard output.
#pragma once

#include <string>
#include <vector>

// One row of a list: its two cells as the list holds them (8-bit).
struct DumpRow {
  std::string parameter;
  std::string value;
};

// One tab: its text and the rows of the list attached to it (none when no
// list is attached, as before the first Start).
struct DumpTab {
  std::string text;
  std::vector<DumpRow> rows;
};

struct ViewDump {
  bool bannerShown = false;   // the "COMMUNICATION ERROR" banner
  std::vector<DumpTab> tabs;  // in tab order
};

// Appends the dump to out as UTF-8 lines ending in LF:
//   banner: shown            (or "banner: hidden")
//   [<tab text>]             for each tab in order, followed by
//   <parameter>TAB<value>    for each row of its list.
// Each text is converted as the window shows it (AppendShownTextAsUtf8).
void AppendViewDump(const ViewDump& dump, std::string& out);

// Appends one tab's lines (the "[<tab text>]" line and its rows) as above:
// the part a per-record view of a log can reuse without a banner.
void AppendDumpTab(const DumpTab& tab, std::string& out);
