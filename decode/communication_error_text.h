// The text of the banner a run shows when its line has gone quiet: the same
// in the window, on the live page, on the broker's link topic and in the
// events.
#pragma once

inline constexpr const char* kCommunicationErrorText = "COMMUNICATION ERROR";
