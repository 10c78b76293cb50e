// Runs a shell command for black-box tests of programs and checkers.
#pragma once

#include <stdio.h>
#include <sys/wait.h>

#include <string>

struct CommandResult {
  int exitCode = -1;   // -1 when the command could not run or was killed
  std::string output;  // its standard output
};

// Runs command with /bin/sh and returns its exit code and standard output.
inline CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char chunk[4096];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0) result.output.append(chunk, got);
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}
