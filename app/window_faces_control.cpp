// The main dialog's broker and live page: made from the command line's
// settings, subscribed to the run after its events face.
#include <QTimer>
#include <QWidget>

#include "app/logger_dialog.h"
#include "app/window_faces.h"

void CTESSAMPLENXLOGGERDlg::SetFaceSettings(const FaceSettings& settings) {
  m_windowFaces = std::make_unique<WindowFaces>(*this, m_eventFace, settings);
}

void CTESSAMPLENXLOGGERDlg::AttachWindowFaces() {
  if (!m_windowFaces) m_windowFaces = std::make_unique<WindowFaces>(*this, m_eventFace, FaceSettings{});
  m_run->Subscribe(m_windowFaces->Face());
  // Over the visible window; gone with it.
  QTimer::singleShot(0, GetWidget(), [this] { m_windowFaces->ServePage(); });
}
