// Tab control: a QTabBar at the top of a framed area.
#include "ui/tab_ctrl.h"

#include <QPainter>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

#include "ui/text_codec.h"
#include "ui/window_dispatch.h"

namespace {

class TabControlWidget : public QWidget {
 public:
  TabControlWidget() : m_bar(new QTabBar(this)) {
    m_bar->setExpanding(false);
    m_bar->setDrawBase(false);
  }

  QTabBar* Bar() const { return m_bar; }
  bool m_changingByProgram = false;

 protected:
  void resizeEvent(QResizeEvent*) override { LayOutBar(); }

  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    const int barHeight = m_bar->count() == 0 ? 0 : m_bar->sizeHint().height();
    frame.rect = QRect(0, barHeight, width(), height() - barHeight);
    frame.shape = QTabBar::RoundedNorth;
    frame.tabBarSize = QSize(m_bar->sizeHint().width(), barHeight);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
  }

 public:
  void LayOutBar() {
    m_bar->setGeometry(0, 0, width(), m_bar->sizeHint().height());
    update();
  }

 private:
  QTabBar* m_bar;
};

TabControlWidget* Tabs(QWidget* widget) { return dynamic_cast<TabControlWidget*>(widget); }

}  // namespace

BOOL CTabCtrl::Create(DWORD dwStyle, const CRect& rect, const CWnd* pParentWnd, int nID) {
  auto* tabs = new TabControlWidget;
  tabs->Bar()->setFocusPolicy((dwStyle & WS_TABSTOP) != 0 ? Qt::StrongFocus : Qt::ClickFocus);
  if (!CreateFromWidget(tabs, dwStyle, rect, pParentWnd, nID)) return FALSE;
  const HWND handle = GetSafeHwnd();
  QObject::connect(tabs->Bar(), &QTabBar::currentChanged, [handle, tabs](int) {
    if (!tabs->m_changingByProgram) WindowDispatch::DeliverNotification(handle, TCN_SELCHANGE);
  });
  return TRUE;
}

int CTabCtrl::InsertItem(int nItem, std::string_view text) {
  TabControlWidget* tabs = Tabs(GetWidget());
  if (tabs == nullptr || nItem < 0) return -1;
  tabs->m_changingByProgram = true;
  const int index = tabs->Bar()->insertTab(std::min(nItem, tabs->Bar()->count()), TextToQt(text));
  tabs->Bar()->setTabData(index, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  tabs->m_changingByProgram = false;
  tabs->LayOutBar();
  return index;
}

int CTabCtrl::GetItemCount() const {
  TabControlWidget* tabs = Tabs(GetWidget());
  return tabs == nullptr ? 0 : tabs->Bar()->count();
}

int CTabCtrl::SetCurSel(int nItem) {
  TabControlWidget* tabs = Tabs(GetWidget());
  if (tabs == nullptr || nItem < 0 || nItem >= tabs->Bar()->count()) return -1;
  const int previous = tabs->Bar()->currentIndex();
  tabs->m_changingByProgram = true;
  tabs->Bar()->setCurrentIndex(nItem);
  tabs->m_changingByProgram = false;
  return previous;
}

int CTabCtrl::GetCurSel() const {
  TabControlWidget* tabs = Tabs(GetWidget());
  return tabs == nullptr ? -1 : tabs->Bar()->currentIndex();
}

std::string CTabCtrl::GetItemText(int nItem) const {
  TabControlWidget* tabs = Tabs(GetWidget());
  if (tabs == nullptr || nItem < 0 || nItem >= tabs->Bar()->count()) return {};
  const QByteArray bytes = tabs->Bar()->tabData(nItem).toByteArray();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void CTabCtrl::ClickTab(int nItem) {
  TabControlWidget* tabs = Tabs(GetWidget());
  if (tabs == nullptr || nItem < 0 || nItem >= tabs->Bar()->count()) return;
  tabs->Bar()->setCurrentIndex(nItem);
}
