// The main dialog opened for a test: its own settings folder, a chosen
// configuration file, and access to the members and steps a test checks.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/logger_dialog.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/process_events.h"
#include "tests/ui/qt_test_application.h"

class DialogProbe : public CTESSAMPLENXLOGGERDlg {
 public:
  // Stop ends the link without the program's 2.5 s wait: the join that
  // follows the wait is what guarantees that no record comes after Stop.
  explicit DialogProbe(std::optional<std::string> configPath = std::nullopt)
      : CTESSAMPLENXLOGGERDlg(std::move(configPath)) {
    m_link.SetCloseWaitMs(0);
  }

  using CTESSAMPLENXLOGGERDlg::BuildOutdoorList;
  using CTESSAMPLENXLOGGERDlg::BuildUnitLists;
  using CTESSAMPLENXLOGGERDlg::m_banner;
  using CTESSAMPLENXLOGGERDlg::m_config;
  using CTESSAMPLENXLOGGERDlg::m_logNameEdit;
  using CTESSAMPLENXLOGGERDlg::m_outdoorList;
  using CTESSAMPLENXLOGGERDlg::m_started;
  using CTESSAMPLENXLOGGERDlg::m_tabs;
  using CTESSAMPLENXLOGGERDlg::m_unitLists;
  using CTESSAMPLENXLOGGERDlg::m_viewFrame;
  using CTESSAMPLENXLOGGERDlg::OnTimer;

  // The lists of a run, as Start builds them.
  void BuildLists() {
    BuildOutdoorList();
    BuildUnitLists();
  }
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
