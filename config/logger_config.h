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
// CONFIG/RAWCAPTURE: 1 keeps a raw capture of the line beside the log, 0
// (the default) does not.
inline constexpr int32_t kRawCaptureOff = 0;
inline constexpr int32_t kRawCaptureOn = 1;

// Units the window shows, each with a list and a label set of its own. A
// larger NUMDEVICES is accepted: the units past these are logged but not
// shown.
inline constexpr int32_t kShownUnitCount = 10;
// Label sets ACLABELS0..ACLABELS3, which are read whatever NUMDEVICES says.
inline constexpr int32_t kBaseLabelSetCount = 4;
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
  bool rawCapture = false;                      // CONFIG/RAWCAPTURE is 1
  std::string portName;                         // selected port, "COM1".."COM24"
  // Labels of the outdoor unit's values, from section STATUSLABELS: S of
  // them, or kMaxRecordFields when S is larger (no value past those is shown).
  std::vector<std::string> statusLabels;
  // Label set k for unit k, from section ACLABELS<k>, A labels (at most
  // kMaxRecordFields). Sets 0..3 are always filled; set k of 4..9 only when
  // NUMDEVICES exceeds k, with the indoor built-in labels as defaults; the
  // others stay empty.
  std::array<std::vector<std::string>, kShownUnitCount> acLabels;

  // The record layout these counts give.
  RecordLayout Layout() const { return RecordLayout{statusParams, numDevices, acParams}; }
  // The units the window shows: NUMDEVICES, at most kShownUnitCount.
  int32_t ShownUnitCount() const { return numDevices < kShownUnitCount ? numDevices : kShownUnitCount; }
  // Layout() cut to the shown units; their values keep their positions.
  RecordLayout ShownLayout() const { return RecordLayout{statusParams, ShownUnitCount(), acParams}; }
  // Values in every record and frame: S + N x A; after Load at least 1 and
  // at most what a frame can carry (plenx::frame::kMaxFrameValues).
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
