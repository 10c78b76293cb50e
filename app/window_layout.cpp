// Window layout of the main dialog: how its controls follow a resize, and
// the window size and column widths kept from one program start to the next.
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "app/logger_dialog.h"
#include "app/resource_ids.h"
#include "decode/shown_params.h"
#include "platform/instance_slot.h"
#include "ui/control_anchor.h"

namespace {

// A window opens this far right and down of the place of the window before
// it, as new windows cascade on Windows; after kCascadePlaces places the
// next one takes the first place again.
constexpr int kCascadeStepPx = 30;
constexpr int kCascadePlaces = 8;

// Every instance would open its window in the same place, hiding the one
// opened before: each running instance holds a slot of its own
// (platform/instance_slot.h), the first the template's place and the
// others a cascade step further each. Windows nobody sees (the offscreen
// platform of headless runs and of tests) take no slot.
void CascadeFromOtherInstances(QWidget* window) {
  if (QGuiApplication::platformName() == QLatin1String("offscreen")) return;
  static const InstanceSlot slot(kCascadePlaces);
  const int step = slot.Number() * kCascadeStepPx;
  window->move(window->pos() + QPoint(step, step));
}

// The template's controls and the banner with the edges they keep their
// distance to. The unit views take all the room a larger window gives; the
// left column keeps its width, its upper controls stay at the top and Start
// and Stop stay at the bottom of their frame, just above the bottom row,
// which keeps its height and lets the log file name grow in width.
struct ControlAnchorRule {
  int id;
  UINT edges;
};
constexpr ControlAnchorRule kControlAnchors[] = {
    {kSaveAsButtonId, kAnchorLeft | kAnchorTop},
    {kPortLabelId, kAnchorLeft | kAnchorTop},
    {kPortComboId, kAnchorLeft | kAnchorTop},
    {kStartButtonId, kAnchorLeft | kAnchorBottom},
    {kStopButtonId, kAnchorLeft | kAnchorBottom},
    {kUnaddressedControlId, kAnchorLeft | kAnchorTop | kAnchorBottom},  // the left column's frame
    {kViewFrameId, kAnchorAll},
    {kTabsId, kAnchorAll},
    {kBannerId, kAnchorLeft | kAnchorRight | kAnchorBottom},
    {kLogNameLabelId, kAnchorLeft | kAnchorBottom},
    {kLogNameEditId, kAnchorLeft | kAnchorRight | kAnchorBottom},
};

}  // namespace

void CTESSAMPLENXLOGGERDlg::AnchorControls() {
  for (const ControlAnchorRule& rule : kControlAnchors) {
    if (CWnd* control = GetDlgItem(rule.id)) AnchorToParent(*control, rule.edges);
  }
}

void CTESSAMPLENXLOGGERDlg::RestoreWindowLayout() {
  m_userColumnWidths = ReadColumnWidthsSetting();
  m_storedColumnWidths = m_userColumnWidths;
  QWidget* window = GetWidget();
  const std::optional<WindowSize> stored = ReadWindowSizeSetting();
  if (stored) {
    // A size kept on a larger screen is cut to this one's free area; the
    // window's minimum size still holds.
    QSize size(stored->widthPx, stored->heightPx);
    if (const QScreen* screen = window->screen()) size = size.boundedTo(screen->availableGeometry().size());
    window->resize(size);
  }
  m_restoredSize = WindowSize{window->width(), window->height()};
  CascadeFromOtherInstances(window);
}

void CTESSAMPLENXLOGGERDlg::NoteUserColumnWidths(const CListCtrl& list, int listIndex) {
  const auto index = static_cast<size_t>(listIndex);
  if (list.GetSafeHwnd() == 0 || index >= m_builtColumnWidths.size()) return;
  const std::vector<int>& built = m_builtColumnWidths[index];
  if (m_userColumnWidths.size() <= index) m_userColumnWidths.resize(index + 1);
  std::vector<int>& user = m_userColumnWidths[index];
  for (size_t column = 0; column < built.size(); ++column) {
    const int width = list.GetColumnWidth(static_cast<int>(column));
    if (width == built[column]) continue;
    if (user.size() <= column) user.resize(column + 1);
    user[column] = width;
  }
}

void CTESSAMPLENXLOGGERDlg::RememberWindowLayout() {
  NoteUserColumnWidths(m_outdoorList, kOutdoorListIndex);
  for (int u = 0; u < kUnitListCount; ++u) NoteUserColumnWidths(m_unitLists[u], u + 1);
  if (m_userColumnWidths != m_storedColumnWidths) WriteColumnWidthsSetting(m_userColumnWidths);

  const QWidget* window = GetWidget();
  // A maximised or minimised window is remembered at its normal size.
  const QRect normal = window->isMaximized() || window->isMinimized() || window->isFullScreen()
                           ? window->normalGeometry()
                           : window->geometry();
  const WindowSize size{normal.width(), normal.height()};
  if (normal.isValid() && size != m_restoredSize) WriteWindowSizeSetting(size);
}
