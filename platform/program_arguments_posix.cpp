// Command-line arguments on Linux: argv as given.
#include "platform/program_arguments.h"

std::vector<std::string> ProgramArguments(int argc, char** argv) { return {argv, argv + argc}; }
