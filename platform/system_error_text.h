// The system's description of an error number, worded to follow a colon in
// a message: "permission denied", "no space left on device".
#pragma once

#include <string>

// The C library's text for errorNumber (an errno value) with its first
// letter in lower case; "unknown error <n>" for a number it does not know.
std::string SystemErrorText(int errorNumber);
