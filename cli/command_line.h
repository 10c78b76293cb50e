// The command-line conventions every program follows, on CLI11: --help and
// --version print to standard output and exit 0; a bad argument prints the
// reason and the help to standard error and exits with status 2.
#pragma once

#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/posix_io.h"
#include "platform/program_arguments.h"
#include "plenx_version.h"

inline constexpr int kExitBadArguments = 2;

// Help whose usage line is written by hand, for what the option list cannot
// show: alternatives, or arguments whose order matters.
class HandWrittenUsage : public CLI::Formatter {
 public:
  explicit HandWrittenUsage(std::string usage) : m_usage(std::move(usage)) {}
  std::string make_usage(const CLI::App*, std::string) const override { return m_usage + "\n"; }

 private:
  std::string m_usage;
};

// Gives app the usage line and a --version flag that prints
// "<program> <version>".
inline void SetUpCommandLine(CLI::App& app, std::string usage) {
  app.formatter(std::make_shared<HandWrittenUsage>(std::move(usage)));
  app.set_version_flag("--version", app.get_name() + " " + std::string(kPlenxVersionText));
}

// Refuses the command line: "<program>: <reason>" and the help on standard
// error. Returns kExitBadArguments, the status to end with.
inline int RefuseArguments(const CLI::App& app, const std::string& reason) {
  std::fprintf(stderr, "%s: %s\n%s", app.get_name().c_str(), reason.c_str(), app.help().c_str());
  return kExitBadArguments;
}

// The exit status after app.parse threw: 0 for --help and --version, whose
// text goes to standard output; kExitBadArguments for a bad argument (see
// RefuseArguments).
inline int FinishEarlyParse(const CLI::App& app, const CLI::ParseError& error) {
  if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return app.exit(error);
  return RefuseArguments(app, error.what());
}

// Makes the standard streams binary, so that every program writes and reads
// the same bytes on every system, then parses the command line (on Windows
// the wide-character one, see ProgramArguments) into app's options, with
// "-" and "--" as the only option marks ("/x" is a file name on Windows
// too). nullopt when the program goes on; otherwise the exit status to end
// with (see FinishEarlyParse).
inline std::optional<int> ParseCommandLine(CLI::App& app, int argc, char** argv) {
  UseBinaryStandardStreams();
  app.allow_windows_style_options(false);
  std::vector<std::string> arguments = ProgramArguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  try {
    app.parse(static_cast<int>(pointers.size()), pointers.data());
  } catch (const CLI::ParseError& error) {
    return FinishEarlyParse(app, error);
  }
  return std::nullopt;
}
