// The configuration record: record layout, log decimation, labels, and the
// port and log file names of the current session.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/record_layout.h"

// Built-in value of CONFIG/LOGEVERY, used when the key is absent; the layout
// keys default to the built-in record layout (record_layout.h).
inline constexpr int32_t kDefaultLogEvery = 1;

// Units the window can show (one label set and one list each); a larger
// NUMDEVICES is refused.
inline constexpr int32_t kMaxNumDevices = 10;
// Label sets ACLABELS0..ACLABELS3, which are read whatever NUMDEVICES says.
inline constexpr int32_t kBaseLabelSetCount = 4;
// Largest STATUSPARAMS and ACPARAMS accepted; at 9600 baud a frame of
// 1000 + 10 x 1000 values already takes about 23 s to arrive.
inline constexpr int32_t kMaxParamsPerBlock = 1000;
// Longest label kept, in bytes: a 260-byte buffer with its terminating zero.
inline constexpr size_t kMaxLabelLength = 259;

// Start-up warnings of Load, one 8-bit text each, naming the file, the
// section and key, the value found and the value used instead.
using ConfigWarnings = std::vector<std::string>;

struct LoggerConfig {
  std::string logFileName;                      // log file of the runs; empty: runs keep no log
  int32_t logEvery = kDefaultLogEvery;          // CONFIG/LOGEVERY, log decimation
  int32_t numDevices = kDefaultNumDevices;      // CONFIG/NUMDEVICES, N
  int32_t statusParams = kDefaultStatusParams;  // CONFIG/STATUSPARAMS, S
  int32_t acParams = kDefaultAcParams;          // CONFIG/ACPARAMS, A
  std::string portName;                         // selected port, "COM1".."COM24"
  // S labels of the outdoor unit's values, from section STATUSLABELS.
  std::vector<std::string> statusLabels;
  // Label set k (A labels) for unit k, from section ACLABELS<k>. Sets 0..3 are
  // always filled; set k of 4..9 only when NUMDEVICES exceeds k, with the
  // indoor built-in labels as defaults; the others stay empty.
  std::array<std::vector<std::string>, kMaxNumDevices> acLabels;

  // The record layout these counts give.
  RecordLayout Layout() const { return RecordLayout{statusParams, numDevices, acParams}; }
  // Values in every record and frame: S + N x A, at least 1 after Load.
  int64_t ValuesPerRecord() const { return RecordValueCount(Layout()); }

  // Loads the first configuration file found (FindConfigFile for the running
  // executable: beside it, then the per-user folder, then the system
  // folders); without one, the built-in values and labels. Every warning
  // starts with the path of the file read.
  // Fills every field but logFileName and portName. Never fails: values the
  // program cannot use are replaced by safe ones and reported in the result.
  ConfigWarnings Load();
  // As Load(), from the file at iniPath; an empty path reads no file.
  ConfigWarnings Load(const std::string& iniPath);
};
