// What a run tells the user, word for word (Windows-1252): why it did not
// start, and what happened to the line.
#pragma once

#include <string>
#include <string_view>

#include "config/logger_config.h"

inline constexpr std::string_view kAlreadyStartedText = "Already started";
// A record does not hold the values its layout shows, live or replayed.
inline constexpr std::string_view kImproperArgumentText = "Encountered an improper argument.";

// "Error opening COM port", then a line that names the device and says why
// and, where there is one obvious thing to do, what to do. devicePath is
// the link's stored name (a "\\.\COMn" name or a device path); openError
// the errno of the failed open, 0 when the port was not the cause (then
// the first line stands alone).
std::string PortOpenFailureText(const std::string& devicePath, int openError);

// "<port>: line lost (<reason>); opening it again every second", the
// reason the system's text for error or "hung up" for 0.
std::string LineLostText(const std::string& portName, int error);
// "<port>: line back".
std::string LineBackText(const std::string& portName);

// The layout as the configuration gives it: "69,4,40".
std::string LayoutText(const LoggerConfig& config);

// "Data is arriving on <port> but no frame matches the layout <S,N,A> of
// <configuration file>.", or "... of the built-in settings (no
// configuration file was found)." when configPath is empty.
std::string NoFrameMatchesText(const std::string& portName, const LoggerConfig& config,
                               const std::string& configPath);
