// The main dialog for tests of logging runs: its run state, its controls by
// identifier, and a default-layout frame to send over the line.
#pragma once

#include <QDialog>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "app/resource_ids.h"
#include "link/frame_encoder.h"
#include "panels/archive_progress_dialog.h"
#include "tests/app/dialog_probe.h"
#include "ui/button.h"

class RunProbe : public DialogProbe {
 public:
  using CTESSAMPLENXLOGGERDlg::m_archiveProgressDelayMs;
  using CTESSAMPLENXLOGGERDlg::m_portCombo;
  using CTESSAMPLENXLOGGERDlg::m_stopping;
  using DialogProbe::DialogProbe;

  void Click(int id) { dynamic_cast<CButton&>(*GetDlgItem(id)).Click(); }
  // Clicks Stop and lets the window run until Stop has finished (the link
  // closed, the archive written); false when it takes over timeoutMs.
  bool StopAndWait(int timeoutMs = 60000) {
    Click(kStopButtonId);
    return ProcessEventsUntil([this] { return !m_started; }, timeoutMs);
  }
  bool Shown(int id) const { return GetDlgItem(id)->IsWindowVisible() != FALSE; }
  bool Enabled(int id) const { return GetDlgItem(id)->IsWindowEnabled() != FALSE; }

  // The archive's progress window while Stop has one, or null.
  ArchiveProgressDialog* ArchiveProgress() const {
    for (QDialog* dialog : GetWidget()->findChildren<QDialog*>()) {
      if (auto* progress = dynamic_cast<ArchiveProgressDialog*>(dialog)) return progress;
    }
    return nullptr;
  }
};

// A default-layout frame whose value at every position is the position.
inline std::vector<uint8_t> PositionFrame() {
  std::vector<int16_t> values(229);
  for (int i = 0; i < 229; ++i) values[static_cast<size_t>(i)] = static_cast<int16_t>(i);
  return EncodeFrame(2, values);
}
