// Conversion of the program's 8-bit texts to and from Qt's strings.
//
// The program's own texts are Windows-1252 ("°F" is the byte 0xB0) while
// Linux file names are UTF-8 bytes. A text is shown as UTF-8 when it is valid
// UTF-8 and as Windows-1252 otherwise, so that both kinds read right.
#pragma once

#include <QString>
#include <string>
#include <string_view>

// The text to show for 8-bit `bytes`: decoded as UTF-8 when it is
// well-formed (no overlong forms, no surrogates, nothing above U+10FFFF;
// plain ASCII is), else as Windows-1252 (the five bytes that code page
// leaves undefined map to the control characters of the same number).
QString TextToQt(std::string_view bytes);

// 8-bit bytes for a text that came from Qt: Windows-1252 when every
// character has a Windows-1252 byte, else UTF-8. TextFromQt(TextToQt(b))
// gives b back for every Windows-1252 text that is not also valid UTF-8;
// controls keep the bytes they were given, so they need this only for
// text that a user typed.
std::string TextFromQt(const QString& text);

// The file system's bytes for a path that Qt returned (UTF-8 on Linux).
std::string PathFromQt(const QString& path);
