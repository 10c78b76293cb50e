// JSON text for the live page, the broker and the programs: values appended to a
// string, texts converted from the program's Windows-1252 as the window
// shows them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Appends text as a JSON string: quoted, with quotes, backslashes and control
// characters escaped, and "</" written "<\/" so a string never ends a script
// element. text must be UTF-8.
void AppendJsonString(std::string_view utf8, std::string& out);

// Appends a text of the program (a label, a Value text, a file name) as a
// JSON string, converted to UTF-8 the way the window converts it
// (AppendShownTextAsUtf8).
void AppendJsonShownText(std::string_view text, std::string& out);

// Appends value in its shortest exact decimal form; null for NaN and the
// infinities, which JSON cannot hold.
void AppendJsonNumber(double value, std::string& out);
void AppendJsonInteger(int64_t value, std::string& out);
