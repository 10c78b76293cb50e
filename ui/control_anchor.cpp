// Control anchors: an event filter on the parent that moves the control.
#include "ui/control_anchor.h"

#include <QEvent>
#include <QObject>
#include <QWidget>
#include <algorithm>

namespace {

// Watches the parent's resizes on behalf of one control; a child of that
// control, so it goes with the control's window.
class ControlAnchor : public QObject {
 public:
  ControlAnchor(QWidget* control, UINT edges) : QObject(control), m_control(control), m_edges(edges) {
    QWidget* parent = control->parentWidget();
    const QRect place = control->geometry();
    m_leftPx = place.left();
    m_topPx = place.top();
    m_rightPx = parent->width() - (place.left() + place.width());
    m_bottomPx = parent->height() - (place.top() + place.height());
    parent->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize && watched == m_control->parentWidget()) Follow();
    return false;
  }

 private:
  void Follow() {
    const QSize parent = m_control->parentWidget()->size();
    const QRect place = m_control->geometry();
    int x = place.left();
    int width = place.width();
    Span(m_edges & kAnchorLeft, m_edges & kAnchorRight, m_leftPx, m_rightPx, parent.width(), x, width);
    int y = place.top();
    int height = place.height();
    Span(m_edges & kAnchorTop, m_edges & kAnchorBottom, m_topPx, m_bottomPx, parent.height(), y, height);
    m_control->setGeometry(x, y, width, height);
  }

  // One axis: `start` and `length` of the control along a parent of
  // `parentLength`, from the distances to the near and far edges; an axis
  // anchored to neither edge is left as it is.
  static void Span(bool nearEdge, bool farEdge, int nearPx, int farPx, int parentLength, int& start,
                   int& length) {
    if (nearEdge && farEdge) {
      start = nearPx;
      length = std::max(0, parentLength - nearPx - farPx);
    } else if (nearEdge) {
      start = nearPx;
    } else if (farEdge) {
      start = parentLength - farPx - length;
    }
  }

  QWidget* m_control;
  UINT m_edges;
  int m_leftPx;
  int m_topPx;
  int m_rightPx;
  int m_bottomPx;
};

}  // namespace

BOOL AnchorToParent(CWnd& control, UINT edges) {
  QWidget* widget = control.GetWidget();
  if (widget == nullptr || widget->isWindow() || widget->parentWidget() == nullptr) return FALSE;
  for (QObject* child : widget->children()) {
    if (auto* earlier = dynamic_cast<ControlAnchor*>(child)) {
      delete earlier;
      break;
    }
  }
  new ControlAnchor(widget, edges);
  return TRUE;
}
