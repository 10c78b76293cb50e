// The state line under the banner.
#include "app/run_state_line.h"

#include <QColor>
#include <QPalette>
#include <QWidget>
#include <vector>

#include "ui/text_codec.h"
#include "ui/win_constants.h"

namespace {

// Dark red on the window's own background: read at a glance, yet quieter
// than the banner above it.
const QColor kStateTextColor(0x9A, 0x16, 0x16);
constexpr int kStatePointSize = 8;
// Between two conditions on the one line.
constexpr std::string_view kConditionSeparator = "   |   ";

}  // namespace

void RunStateLine::Create(const CRect& rect, const CWnd* parent, int id) {
  // Wrapped: a long path takes the second line.
  m_static.Create("", WS_CHILD | WS_VISIBLE | SS_LEFT, rect, parent, id);
  m_static.SetFont(kStatePointSize, FW_BOLD);
  if (QWidget* label = m_static.GetWidget()) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, kStateTextColor);
    label->setPalette(palette);
  }
}

void RunStateLine::BeginRun(bool keepsLog) {
  m_conditions.Begin(!keepsLog);
  Show();
}

void RunStateLine::BeginReplay() {
  m_conditions.Begin(false);
  Show();
}

void RunStateLine::OnRecord(const RunRecord& record) {
  m_conditions.OnRecord(record);
  Show();
}

void RunStateLine::OnEvent(const RunEvent& event) {
  m_conditions.OnEvent(event);
  Show();
}

void RunStateLine::EndRun(const RunEnd& end) {
  m_conditions.End(end);
  Show();
}

void RunStateLine::Show() {
  std::string text;
  for (const std::string& line : m_conditions.Lines()) {
    if (!text.empty()) text += kConditionSeparator;
    text += line;
  }
  if (text == m_text) return;
  m_text = std::move(text);
  m_static.SetWindowText(m_text);
  // What a narrow window cuts shows whole under the pointer.
  if (QWidget* label = m_static.GetWidget()) label->setToolTip(TextToQt(m_text));
}
