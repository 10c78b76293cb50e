// The main dialog opened for a test: its own settings folder, a chosen
// configuration file, and access to the members and steps a test checks.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/logger_dialog.h"
#include "run/run_record_decoder.h"
#include "testkit/temp_folder.h"
#include "tests/ui/process_events.h"
#include "tests/ui/qt_test_application.h"

class DialogProbe : public CTESSAMPLENXLOGGERDlg {
 public:
  explicit DialogProbe(std::optional<std::string> configPath = std::nullopt)
      : CTESSAMPLENXLOGGERDlg(std::move(configPath)) {}

  using CTESSAMPLENXLOGGERDlg::BuildOutdoorList;
  using CTESSAMPLENXLOGGERDlg::BuildUnitLists;
  using CTESSAMPLENXLOGGERDlg::m_banner;
  using CTESSAMPLENXLOGGERDlg::m_config;
  using CTESSAMPLENXLOGGERDlg::m_logNameEdit;
  using CTESSAMPLENXLOGGERDlg::m_outdoorList;
  using CTESSAMPLENXLOGGERDlg::m_run;
  using CTESSAMPLENXLOGGERDlg::m_runTimings;
  using CTESSAMPLENXLOGGERDlg::m_started;
  using CTESSAMPLENXLOGGERDlg::m_stateLine;
  using CTESSAMPLENXLOGGERDlg::m_tabs;
  using CTESSAMPLENXLOGGERDlg::m_unitLists;
  using CTESSAMPLENXLOGGERDlg::m_viewFrame;
  using CTESSAMPLENXLOGGERDlg::m_views;

  // The lists of a run, as Start builds them, and the window's faces told
  // that a run of the configured layout began, as the run core tells them.
  void BuildLists() {
    BuildOutdoorList();
    BuildUnitLists();
    RunStart start;
    start.layout = std::make_shared<const RunLayout>(MakeRunLayout(m_config));
    m_views->OnRunStarted(start);
    m_face.OnRunStarted(start);
  }

  // Hands the window's faces the record of `recordText` as the run core
  // would, on the calling thread (a reader's, say); after BuildLists or
  // during a run.
  void PostRecord(const std::string& recordText, int unitIndex = 0) {
    auto record = std::make_shared<RunRecord>();
    record->time = ReadLocalTime();
    record->text = recordText;
    record->unitIndex = unitIndex;
    std::lock_guard lock(m_feedMutex);
    if (!m_decoder)
      m_decoder = std::make_unique<RunRecordDecoder>(std::make_shared<RunLayout>(MakeRunLayout(m_config)));
    record->sequence = ++m_sequence;
    m_decoder->Decode(*record);
    const std::shared_ptr<const RunRecord> shared = std::move(record);
    m_views->OnRecord(shared);
    m_face.OnRecord(shared);
  }

  // Hands the window's faces an event as the run core would.
  void PostRunEvent(RunEventKind kind, const std::string& message = {}) {
    RunEvent event;
    event.kind = kind;
    event.message = message;
    std::lock_guard lock(m_feedMutex);
    m_views->OnRunEvent(event);
    m_face.OnRunEvent(event);
  }

 private:
  std::mutex m_feedMutex;
  std::unique_ptr<RunRecordDecoder> m_decoder;
  uint64_t m_sequence = 0;
};

// Each test gets a fresh settings folder (the remembered port and log file
// name live there) and a folder for its configuration files.
class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureQtTestApplication();
    ASSERT_FALSE(m_settings.path().empty());
    ::setenv("XDG_CONFIG_HOME", m_settings.path().c_str(), 1);
  }

  // A configuration file with `body` as its text.
  std::string WriteIni(std::string_view body) { return m_files.Write("plenx-logger.ini", body); }

  TempFolder m_settings;
  TempFolder m_files;
};

// The record text of `values`: "%d," for each.
inline std::string RecordText(const std::vector<int>& values) {
  std::string text;
  for (int value : values) text += std::to_string(value) + ",";
  return text;
}
