// Identifiers and texts of the program's resources: the menu strings and
// commands, the application name, and the control identifiers of the main
// dialog.
#pragma once

#include <string_view>

#include "ui/win_types.h"

// String 101, the About entry of the window's menu.
inline constexpr std::string_view kAboutMenuText = "&About Plenx Logger...";
// Command of the About entry, a system command: the framework keeps the low
// four bits of system commands for itself, so 16 to 31 all mean About.
inline constexpr UINT kAboutBoxCommand = 16;
inline constexpr UINT kSystemCommandMask = 0xFFF0;
// The Trends entry of the window menu and its command, which opens the
// trends window (or brings it to the front).
inline constexpr std::string_view kTrendsMenuText = "&Trends...";
inline constexpr UINT kTrendsCommand = 0x0050;
// The Events entry and its command, which opens the Events window (or
// brings it to the front).
inline constexpr std::string_view kEventsMenuText = "&Events...";
inline constexpr UINT kEventsCommand = 0x0060;

// The window menu's entry that replays a log, and its command (outside the
// About range and the system commands).
inline constexpr std::string_view kReplayMenuText = "Replay a log...";
inline constexpr UINT kReplayLogCommand = 0x0200;

// The window menu's entry for the MQTT broker's settings, and its command.
inline constexpr std::string_view kBrokerMenuText = "&MQTT broker...";
inline constexpr UINT kBrokerSettingsCommand = 0x0210;

// System commands of the window menu; the low four bits are not part of
// the command (kSystemCommandMask).
inline constexpr UINT SC_MOVE = 0xF010;
inline constexpr UINT SC_MINIMIZE = 0xF020;
inline constexpr UINT SC_CLOSE = 0xF060;
inline constexpr UINT SC_RESTORE = 0xF120;

// The application's name, the caption of its message boxes.
inline constexpr std::string_view kProductName = "Plenx Logger";

// Controls of the main dialog.
inline constexpr int kStartButtonId = 1000;
inline constexpr int kStopButtonId = 1001;
inline constexpr int kViewFrameId = 1003;  // group box framing the unit views
inline constexpr int kPortComboId = 1004;
inline constexpr int kSaveAsButtonId = 1005;
inline constexpr int kLogNameEditId = 1006;
inline constexpr int kLogNameLabelId = 1007;
inline constexpr int kPortLabelId = 1008;
inline constexpr int kTabsId = 1009;
// A template control the program never addresses.
inline constexpr int kUnaddressedControlId = -1;
// Child windows the dialog creates itself.
inline constexpr int kOutdoorListId = 9671;
inline constexpr int kUnitListId = -1;  // the unit lists share "none"
inline constexpr int kBannerId = 65535;
inline constexpr int kRunStateLineId = 65534;
