// The system's description of an error number, worded to follow a colon in
// a message: "permission denied", "no space left on device".
#pragma once

#include <string>

// The system's text for errorNumber (an errno value) with its first letter
// in lower case: on Linux the C library's ("unknown error <n>" for a number
// it does not know); on Windows the message Windows has for the error the
// number stands for (FormatMessage, in the user's language and in UTF-8,
// like the file names it is shown with), else the C library's.
std::string SystemErrorText(int errorNumber);
