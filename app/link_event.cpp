// Line events of the main dialog: the reader reports a lost or returning line
// and failed raw capture writes; the user-interface thread tells the user.
#include "app/link_event.h"

#include <cstdio>
#include <cstring>

#include "app/logger_dialog.h"

namespace {
// Longest time stamp even for out-of-range fields (6 ints).
constexpr size_t kStampBufferBytes = 96;
}  // namespace

std::string LinkEventLine(LinkEvent event, int error, const std::string& portName, const LocalTime& time) {
  char stamp[kStampBufferBytes];
  std::snprintf(stamp, sizeof stamp, "%04d/%02d/%02d-%02d:%02d:%02d", time.year, time.month, time.day,
                time.hour, time.minute, time.second);
  const std::string head = std::string(stamp) + " " + portName + ": ";
  switch (event) {
    case LinkEvent::kLineLost:
      return head + "line lost (" + (error == 0 ? std::string("hung up") : std::strerror(error)) +
             "); opening it again every second";
    case LinkEvent::kLineBack:
      return head + "line back";
    case LinkEvent::kRawCaptureFailed:
      break;
  }
  return {};
}

bool CTESSAMPLENXLOGGERDlg::PostLinkEvent(LinkEvent event, int error) {
  return ::PostMessage(m_recordWindow.load(), WM_LINK_EVENT, static_cast<WPARAM>(event), error) != FALSE;
}

LRESULT CTESSAMPLENXLOGGERDlg::OnLinkEvent(WPARAM wParam, LPARAM lParam) {
  const auto event = static_cast<LinkEvent>(wParam);
  const int error = static_cast<int>(lParam);
  if (event == LinkEvent::kRawCaptureFailed) {
    // The reader reports every failed write and goes on trying.
    ShowRepeatingError(RepeatingError::kRawCaptureWriteFailed,
                       "Disk full while accessing " + m_rawCapture.FullPath() + ".");
    return 0;
  }
  if (m_linkEventOutput != nullptr) {
    std::fprintf(m_linkEventOutput, "plenx-logger: %s\n",
                 LinkEventLine(event, error, m_config.portName, ReadLocalTime()).c_str());
    std::fflush(m_linkEventOutput);
  }
  return 0;
}
