// plenx-export: turns a log into a CSV table with the texts the window shows,
// or into the table of its events.
//
// The log is read in pieces and the table written in pieces, so memory stays
// flat for any log size. Exit 0 when the log was read (lines that are not
// log lines are skipped with a warning), 1 when the log, the configuration
// file or the output could not be read or written, 2 for bad arguments.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "config/config_file_path.h"
#include "config/logger_config.h"
#include "decode/change_csv.h"
#include "decode/log_change_reader.h"
#include "decode/log_line.h"
#include "decode/log_line_splitter.h"
#include "decode/log_record_line.h"
#include "decode/record_fields.h"
#include "platform/executable_path.h"
#include "platform/folder_files.h"
#include "platform/path_parts.h"
#include "platform/posix_io.h"
#include "platform/system_error_text.h"
#include "tools/plenx-export/csv_table.h"
#include "tools/plenx-export/export_files.h"
#include "tools/plenx-export/export_options.h"

namespace {

enum ExitCode : int { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

constexpr size_t kReadChunkBytes = 1 << 20;
// The table is handed to write(2) once this much has gathered.
constexpr size_t kOutputFlushBytes = 1 << 20;
// Skipped lines reported one by one; the rest are only counted.
constexpr uint64_t kSkippedLinesShown = 10;
// The window's program, whose configuration file is read by default.
constexpr const char* kLoggerProgram = "plenx-logger";

// The configuration file the window reads: plenx-logger.ini beside
// plenx-logger, which is installed beside this program, else the one of the
// per-user or a system configuration folder. Empty when there is none.
std::string WindowConfigPath() {
  const std::string executable = ExecutablePath();
  const size_t nameStart = FileNameStart(executable);
  return FindConfigFile(nameStart == 0 ? std::string() : executable.substr(0, nameStart) + kLoggerProgram);
}

// Skipped lines: the first few reported with their line number and reason,
// the others counted.
class SkippedLines {
 public:
  explicit SkippedLines(const std::string& logName) : m_logName(logName) {}

  void Skip(uint64_t lineNumber, const std::string& reason) {
    if (++m_count <= kSkippedLinesShown) {
      std::fprintf(stderr, "plenx-export: %s:%llu: skipped: %s\n", m_logName.c_str(),
                   static_cast<unsigned long long>(lineNumber), reason.c_str());
    }
  }

  // Counts lines skipped beyond those noted with Skip.
  void CountMore(uint64_t count) { m_count += count; }

  // Reports how many were skipped beyond those reported one by one.
  void ReportRest(uint64_t lineCount) const {
    if (m_count <= kSkippedLinesShown) return;
    std::fprintf(stderr, "plenx-export: %s: %llu more lines skipped (%llu of %llu lines in all)\n",
                 m_logName.c_str(), static_cast<unsigned long long>(m_count - kSkippedLinesShown),
                 static_cast<unsigned long long>(m_count), static_cast<unsigned long long>(lineCount));
  }

 private:
  const std::string& m_logName;
  uint64_t m_count = 0;
};

// The output while it is written: standard output, or a file. A regular
// file is removed again when the export fails, so no half table is left
// behind; a device or pipe given as the output is left alone.
class Output {
 public:
  explicit Output(const std::string& path) : m_path(path) {}
  ~Output() {
    if (IsFile() && m_fd >= 0) CloseFile(m_fd);
    if (m_removable && !m_complete) RemoveFile(m_path);
  }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  bool Open() {
    if (!IsFile()) {
      m_fd = kStandardOutput;
      return true;
    }
    m_fd = CreateForWriting(m_path);
    if (m_fd < 0) return Failed();
    m_removable = IsRegularFile(m_fd);
    return true;
  }

  bool Write(const std::string& bytes) { return WriteAll(m_fd, bytes) == bytes.size() || Failed(); }

  // Marks the output complete; a file is closed, and its close may still
  // report a write error.
  bool Finish() {
    if (IsFile()) {
      const int fd = m_fd;
      m_fd = -1;
      if (!CloseFile(fd)) return Failed();
    }
    m_complete = true;
    return true;
  }

 private:
  bool IsFile() const { return !m_path.empty() && m_path != "-"; }

  bool Failed() const {
    std::fprintf(stderr, "plenx-export: cannot write %s: %s\n", IsFile() ? m_path.c_str() : "standard output",
                 SystemErrorText(errno).c_str());
    return false;
  }

  const std::string& m_path;
  int m_fd = -1;
  bool m_removable = false;
  bool m_complete = false;
};

// The configuration as the window reads it, with its warnings on standard
// error; false when a file given with --ini cannot be read at all.
bool LoadConfig(const ExportOptions& options, LoggerConfig& config) {
  if (!options.iniPath.empty()) {
    // The window quietly uses its built-in settings without a file; a file
    // named on purpose that cannot be read must not pass unnoticed.
    const int fd = OpenForReading(options.iniPath);
    if (fd < 0) {
      std::fprintf(stderr, "plenx-export: cannot read %s: %s\n", options.iniPath.c_str(),
                   SystemErrorText(errno).c_str());
      return false;
    }
    CloseFile(fd);
  }
  const std::string path = options.iniPath.empty() ? WindowConfigPath() : options.iniPath;
  for (const std::string& warning : config.Load(path))
    std::fprintf(stderr, "plenx-export: %s\n", warning.c_str());
  return true;
}

bool InRange(const ExportOptions& options, const LocalTime& time) {
  return (!options.from || time >= *options.from) && (!options.to || time <= *options.to);
}

// Reads the log on in piece by piece into feed(piece), handing what gathered
// in csv to output whenever it grew large; then finish(). false when the log
// could not be read or the output not written (reported).
template <typename Feed, typename Finish>
bool ReadLog(int in, const std::string& logName, Output& output, std::string& csv, Feed&& feed,
             Finish&& finish) {
  std::vector<char> chunk(kReadChunkBytes);
  for (;;) {
    const ssize_t got = ReadSome(in, chunk.data(), chunk.size());
    if (got < 0) {
      std::fprintf(stderr, "plenx-export: cannot read %s: %s\n", logName.c_str(),
                   SystemErrorText(errno).c_str());
      return false;
    }
    if (got == 0) break;
    feed(std::string_view(chunk.data(), static_cast<size_t>(got)));
    if (csv.size() >= kOutputFlushBytes) {
      if (!output.Write(csv)) return false;
      csv.clear();
    }
  }
  finish();
  return output.Write(csv) && output.Finish();
}

// The table: a row per record in range, the window's texts or numbers.
bool ExportTable(const ExportOptions& options, const LoggerConfig& config, CsvTable& table, int in,
                 const std::string& logName, Output& output, SkippedLines& skipped) {
  const std::string layoutText = std::to_string(config.statusParams) + "," +
                                 std::to_string(config.numDevices) + "," + std::to_string(config.acParams);
  LogLineSplitter splitter;
  LogLine parsed;
  std::string reason;
  std::string csv;
  csv.reserve(2 * kOutputFlushBytes);
  table.AppendHeader(csv);
  const auto onLine = [&](const TextLine& line) {
    if (!ParseRecordLine(line, table.ValuesPerRecord(), layoutText, parsed, reason)) {
      skipped.Skip(line.number, reason);
    } else if (InRange(options, parsed.time)) {
      table.AppendRow(parsed, csv);
    }
  };
  if (!ReadLog(
          in, logName, output, csv, [&](std::string_view piece) { splitter.Feed(piece, onLine); },
          [&] { splitter.Finish(onLine); })) {
    return false;
  }
  skipped.ReportRest(splitter.LineCount());
  return true;
}

// The events: a row per event in range. The whole log is read, so the
// first event in range has the state before it.
bool ExportEvents(const ExportOptions& options, const LoggerConfig& config, int in,
                  const std::string& logName, Output& output, SkippedLines& skipped) {
  LogChangeReader reader(config);
  std::vector<ChangeEvent> events;
  std::string csv;
  AppendChangeCsvHeader(csv);
  const auto writeEvents = [&] {
    for (const ChangeEvent& event : events) {
      if (InRange(options, event.time)) AppendChangeCsvRow(event, csv);
    }
    events.clear();
  };
  if (!ReadLog(
          in, logName, output, csv,
          [&](std::string_view piece) {
            reader.Feed(piece, events);
            writeEvents();
          },
          [&] {
            reader.Finish(events);
            writeEvents();
          })) {
    return false;
  }
  for (const SkippedLogLine& line : reader.NotedSkips()) skipped.Skip(line.lineNumber, line.reason);
  skipped.CountMore(reader.SkippedCount() - reader.NotedSkips().size());
  skipped.ReportRest(reader.LineCount());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  ExportOptions options;
  if (const std::optional<int> exitStatus = ParseExportOptions(argc, argv, options)) return *exitStatus;

  LoggerConfig config;
  if (!LoadConfig(options, config)) return kExitFailure;
  CsvTable table(config, options.values ? CellContent::kNumber : CellContent::kListText);
  if (!options.events && table.UnreadColumns() > 0) {
    std::fprintf(stderr,
                 "plenx-export: records of this layout hold %lld values; like the window, only the first %d "
                 "are read, so the last %zu columns stay empty\n",
                 static_cast<long long>(table.ValuesPerRecord()), kMaxRecordFields, table.UnreadColumns());
  }

  const bool fromStandardInput = options.logPath == "-";
  const std::string logName = fromStandardInput ? "standard input" : options.logPath;
  const int in = fromStandardInput ? kStandardInput : OpenForReading(options.logPath);
  if (in < 0) {
    std::fprintf(stderr, "plenx-export: cannot open %s: %s\n", logName.c_str(),
                 SystemErrorText(errno).c_str());
    return kExitFailure;
  }
  if (!options.outputPath.empty() && options.outputPath != "-" && IsSameFile(in, options.outputPath)) {
    std::fprintf(stderr, "plenx-export: the output %s is the log itself; choose another name\n",
                 options.outputPath.c_str());
    return kExitUsage;
  }
  Output output(options.outputPath);
  if (!output.Open()) return kExitFailure;

  SkippedLines skipped(logName);
  const bool read = options.events ? ExportEvents(options, config, in, logName, output, skipped)
                                   : ExportTable(options, config, table, in, logName, output, skipped);
  if (!read) return kExitFailure;
  if (!fromStandardInput) CloseFile(in);
  return kExitOk;
}
