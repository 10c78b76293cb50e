// The program's command-line arguments as the program's strings.
#pragma once

#include <string>
#include <vector>

// The arguments main received, the program's name first: on Linux argv as
// given, in the file system's bytes; on Windows the wide-character command
// line (GetCommandLineW) split by the system's rules, in WTF-8 (see
// wide_text.h), so that every file name survives whatever the ANSI code page
// (argv there holds the ANSI form, which loses what the code page lacks).
std::vector<std::string> ProgramArguments(int argc, char** argv);
