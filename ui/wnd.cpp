// CWnd on a Qt widget, posting and dispatch.
#include "ui/wnd.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "ui/message_box.h"
#include "ui/text_codec.h"
#include "ui/window_dispatch.h"
#include "ui/window_placement.h"
#include "ui/window_registry.h"

namespace {

WindowRegistry& Registry() { return WindowRegistry::Instance(); }

void SetWidgetText(QWidget* widget, const QString& text) {
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(text);
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(text);
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
    group->setTitle(text);
  } else if (widget->isWindow()) {
    widget->setWindowTitle(text);
  }
}

QString WidgetText(const QWidget* widget) {
  if (auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
  if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
  if (auto* edit = qobject_cast<const QLineEdit*>(widget)) return edit->text();
  if (auto* group = qobject_cast<const QGroupBox*>(widget)) return group->title();
  if (widget->isWindow()) return widget->windowTitle();
  return {};
}

// Registered windows among the descendants of `widget`, parents first.
void CollectWindowTree(QWidget* widget, std::vector<HWND>* handles) {
  const HWND handle = Registry().HandleOf(widget);
  if (handle != 0) handles->push_back(handle);
  for (QObject* child : widget->children()) {
    if (auto* childWidget = qobject_cast<QWidget*>(child); childWidget && !childWidget->isWindow()) {
      CollectWindowTree(childWidget, handles);
    }
  }
}

QRect ToQRect(const CRect& rect) { return QRect(rect.left, rect.top, rect.Width(), rect.Height()); }

CRect FromQRect(const QRect& rect) {
  return CRect{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

}  // namespace

CWnd::~CWnd() {
  if (m_hWnd != 0) DestroyWindowTree(false);
}

CWnd* CWnd::FromHandle(HWND window) {
  WindowRecord* record = Registry().Find(window);
  return record == nullptr ? nullptr : record->owner;
}

BOOL CWnd::DestroyWindow() {
  if (m_hWnd == 0) return FALSE;
  DestroyWindowTree(true);
  return TRUE;
}

void CWnd::DestroyWindowTree(bool runOwnHandler) {
  QWidget* top = m_widget;
  std::vector<HWND> handles;
  CollectWindowTree(top, &handles);
  for (HWND handle : handles) {
    WindowRecord* record = Registry().Find(handle);
    if (record == nullptr || record->owner == nullptr) continue;
    if (record->owner == this && !runOwnHandler) continue;
    record->owner->OnDestroy();
  }
  for (HWND handle : handles) {
    WindowRecord* record = Registry().Find(handle);
    if (record == nullptr) continue;
    CWnd* owner = record->owner;
    Registry().ForgetWidget(record->widget);
    const std::vector<PostedMessage> pending = Registry().Unregister(handle);
    if (owner == nullptr) continue;
    owner->Detach();
    if (owner == this && !runOwnHandler) continue;
    for (const PostedMessage& message : pending) {
      owner->OnDiscardPostedMessage(message.message, message.wParam, message.lParam);
    }
  }
  delete top;
}

void CWnd::Detach() {
  m_hWnd = 0;
  m_widget = nullptr;
}

BOOL CWnd::CreateFromWidget(QWidget* widget, DWORD dwStyle, const CRect& rect, const CWnd* pParentWnd,
                            int nID) {
  const bool isChild = (dwStyle & WS_CHILD) != 0;
  QWidget* parentWidget = pParentWnd == nullptr ? nullptr : pParentWnd->m_widget;
  if (m_hWnd != 0 || (isChild && parentWidget == nullptr)) {
    delete widget;
    return FALSE;
  }
  if (parentWidget != nullptr) {
    widget->setParent(parentWidget, isChild ? Qt::Widget : Qt::Window | Qt::Dialog);
  }
  widget->setGeometry(ToQRect(rect));
  widget->setEnabled((dwStyle & WS_DISABLED) == 0);
  m_widget = widget;
  m_hWnd = Registry().Register(widget, this, nID, dwStyle);
  // Children take their visible flag now, so that it reads right before the
  // parent is first shown; a top-level window is shown by its owner.
  if (isChild) widget->setVisible((dwStyle & WS_VISIBLE) != 0);
  return TRUE;
}

BOOL CWnd::Attach(HWND window) {
  WindowRecord* record = Registry().Find(window);
  if (record == nullptr || m_hWnd != 0) return FALSE;
  if (record->owner != nullptr) record->owner->Detach();
  record->owner = this;
  m_hWnd = window;
  m_widget = record->widget;
  return TRUE;
}

BOOL CWnd::ShowWindow(int nCmdShow) {
  if (m_widget == nullptr) return FALSE;
  const BOOL wasVisible = m_widget->isHidden() ? FALSE : TRUE;
  if (nCmdShow == SW_HIDE) {
    m_widget->hide();
  } else if (nCmdShow == SW_MINIMIZE || nCmdShow == SW_SHOWMINIMIZED) {
    m_widget->showMinimized();
  } else if (nCmdShow == SW_RESTORE && m_widget->isWindow()) {
    m_widget->showNormal();
  } else {
    m_widget->show();
  }
  return wasVisible;
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
  if (m_widget == nullptr) return FALSE;
  const bool wasEnabled = !m_widget->testAttribute(Qt::WA_ForceDisabled);
  const bool enable = bEnable != FALSE;
  m_widget->setEnabled(enable);
  if (wasEnabled != enable) OnEnable(enable ? TRUE : FALSE);
  return wasEnabled ? FALSE : TRUE;
}

BOOL CWnd::IsWindowEnabled() const {
  if (m_widget == nullptr) return FALSE;
  return m_widget->testAttribute(Qt::WA_ForceDisabled) ? FALSE : TRUE;
}

BOOL CWnd::IsWindowVisible() const { return m_widget != nullptr && m_widget->isVisible() ? TRUE : FALSE; }

DWORD CWnd::GetStyle() const {
  WindowRecord* record = Registry().Find(m_hWnd);
  if (record == nullptr) return 0;
  DWORD style = record->style & ~(WS_VISIBLE | WS_DISABLED);
  if (!m_widget->isHidden()) style |= WS_VISIBLE;
  if (m_widget->testAttribute(Qt::WA_ForceDisabled)) style |= WS_DISABLED;
  return style;
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
  if (m_widget == nullptr) return;
  if (m_widget->isWindow()) {
    m_widget->move(x, y);
    m_widget->resize(nWidth, nHeight);
  } else {
    m_widget->setGeometry(x, y, nWidth, nHeight);
  }
  if (bRepaint) m_widget->update();
}

void CWnd::GetClientRect(CRect* rect) const {
  *rect = m_widget == nullptr ? CRect{} : CRect{0, 0, m_widget->width(), m_widget->height()};
}

void CWnd::GetWindowRect(CRect* rect) const {
  if (m_widget == nullptr) {
    *rect = CRect{};
    return;
  }
  const QPoint topLeft = m_widget->mapToGlobal(QPoint(0, 0));
  *rect = FromQRect(QRect(topLeft, m_widget->size()));
}

void CWnd::ClientToScreen(CPoint* point) const {
  if (m_widget == nullptr) return;
  const QPoint mapped = m_widget->mapToGlobal(QPoint(point->x, point->y));
  *point = CPoint{mapped.x(), mapped.y()};
}

void CWnd::ScreenToClient(CPoint* point) const {
  if (m_widget == nullptr) return;
  const QPoint mapped = m_widget->mapFromGlobal(QPoint(point->x, point->y));
  *point = CPoint{mapped.x(), mapped.y()};
}

void CWnd::ClientToScreen(CRect* rect) const {
  CPoint topLeft{rect->left, rect->top};
  CPoint bottomRight{rect->right, rect->bottom};
  ClientToScreen(&topLeft);
  ClientToScreen(&bottomRight);
  *rect = CRect{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

void CWnd::ScreenToClient(CRect* rect) const {
  CPoint topLeft{rect->left, rect->top};
  CPoint bottomRight{rect->right, rect->bottom};
  ScreenToClient(&topLeft);
  ScreenToClient(&bottomRight);
  *rect = CRect{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

void CWnd::SetWindowText(std::string_view text) {
  WindowRecord* record = Registry().Find(m_hWnd);
  if (record == nullptr) return;
  record->textBytes = std::string(text);
  record->textShown = TextToQt(text);
  SetWidgetText(m_widget, record->textShown);
}

std::string CWnd::GetWindowText() const {
  WindowRecord* record = Registry().Find(m_hWnd);
  if (record == nullptr) return {};
  const QString shown = WidgetText(m_widget);
  return shown == record->textShown ? record->textBytes : TextFromQt(shown);
}

void CWnd::SetFont(int pointSize, int weight) {
  if (m_widget == nullptr) return;
  QFont font = m_widget->font();
  if (pointSize > 0) font.setPointSize(pointSize);
  font.setWeight(weight >= FW_BOLD ? QFont::Bold : QFont::Normal);
  m_widget->setFont(font);
}

void CWnd::CenterWindow() {
  if (m_widget == nullptr || !m_widget->isWindow()) return;
  CenterOnOwner(m_widget, m_widget->parentWidget());
}

void CWnd::RedrawWindow() {
  if (m_widget != nullptr) m_widget->repaint();
}

BOOL CWnd::SaveImage(const std::string& pngPath) const {
  if (m_widget == nullptr) return FALSE;
  return m_widget->grab().save(QString::fromUtf8(pngPath.c_str()), "PNG") ? TRUE : FALSE;
}

int CWnd::GetDlgCtrlID() const {
  WindowRecord* record = Registry().Find(m_hWnd);
  return record == nullptr ? 0 : record->controlId;
}

CWnd* CWnd::GetDlgItem(int nID) const {
  if (m_widget == nullptr) return nullptr;
  for (QObject* child : m_widget->children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (widget == nullptr) continue;
    WindowRecord* record = Registry().Find(Registry().HandleOf(widget));
    if (record != nullptr && record->controlId == nID) return record->owner;
  }
  return nullptr;
}

CWnd* CWnd::GetParent() const {
  if (m_widget == nullptr || m_widget->parentWidget() == nullptr) return nullptr;
  return FromHandle(Registry().HandleOf(m_widget->parentWidget()));
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapseMs, TimerAccuracy accuracy) {
  WindowRecord* record = Registry().Find(m_hWnd);
  if (record == nullptr) return 0;
  QTimer*& timer = record->timers[nIDEvent];
  if (timer == nullptr) {
    timer = new QTimer(m_widget);
    const HWND handle = m_hWnd;
    QObject::connect(timer, &QTimer::timeout,
                     [handle, nIDEvent] { WindowDispatch::DeliverTimer(handle, nIDEvent); });
  }
  timer->setTimerType(accuracy == TimerAccuracy::kPrecise ? Qt::PreciseTimer : Qt::CoarseTimer);
  timer->start(static_cast<int>(nElapseMs));
  return nIDEvent;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) {
  WindowRecord* record = Registry().Find(m_hWnd);
  if (record == nullptr) return FALSE;
  auto it = record->timers.find(nIDEvent);
  if (it == record->timers.end()) return FALSE;
  delete it->second;
  record->timers.erase(it);
  return TRUE;
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::PostMessage(m_hWnd, message, wParam, lParam);
}

int CWnd::MessageBox(std::string_view text, std::string_view caption, UINT nType) const {
  return ::MessageBox(m_hWnd, text, caption, nType);
}

void CWnd::MapCommand(int controlId, UINT code, std::function<void()> handler) {
  m_commandMap[{controlId, code}] = std::move(handler);
}

void CWnd::MapMessage(UINT message, std::function<LRESULT(WPARAM, LPARAM)> handler) {
  m_messageMap[message] = std::move(handler);
}

BOOL CWnd::OnCommand(int controlId, UINT code) {
  auto it = m_commandMap.find({controlId, code});
  if (it == m_commandMap.end()) return FALSE;
  it->second();
  return TRUE;
}

BOOL CWnd::OnReflectedNotify(UINT, LRESULT*) { return FALSE; }
void CWnd::OnTimer(UINT_PTR) {}
void CWnd::OnEnable(BOOL) {}
void CWnd::OnDestroy() {}
void CWnd::OnDiscardPostedMessage(UINT, WPARAM, LPARAM) {}

// --- Delivery -------------------------------------------------------------

void WindowDispatch::DeliverPosted(const PostedMessage& message) {
  CWnd* owner = CWnd::FromHandle(message.window);
  if (owner == nullptr) return;
  auto it = owner->m_messageMap.find(message.message);
  if (it != owner->m_messageMap.end()) {
    // A copy: the handler may change the map or destroy the window.
    auto handler = it->second;
    handler(message.wParam, message.lParam);
  }
}

void WindowDispatch::DeliverTimer(HWND window, UINT_PTR timerId) {
  if (CWnd* owner = CWnd::FromHandle(window)) owner->OnTimer(timerId);
}

void WindowDispatch::DeliverNotification(HWND control, UINT code) {
  CWnd* owner = CWnd::FromHandle(control);
  if (owner == nullptr) return;
  LRESULT result = 0;
  if (owner->OnReflectedNotify(code, &result)) return;
  // The control may have been destroyed by its own handler.
  WindowRecord* record = WindowRegistry::Instance().Find(control);
  if (record == nullptr || record->widget->parentWidget() == nullptr) return;
  const int controlId = record->controlId;
  CWnd* parent = CWnd::FromHandle(WindowRegistry::Instance().HandleOf(record->widget->parentWidget()));
  if (parent != nullptr) parent->OnCommand(controlId, code);
}

void WindowDispatch::DeliverCommand(HWND window, int controlId, UINT code) {
  if (CWnd* owner = CWnd::FromHandle(window)) owner->OnCommand(controlId, code);
}

void WindowDispatch::WidgetDeleted(HWND window) {
  WindowRecord* record = WindowRegistry::Instance().Find(window);
  if (record == nullptr) return;
  CWnd* owner = record->owner;
  const std::vector<PostedMessage> pending = WindowRegistry::Instance().Unregister(window);
  if (owner == nullptr) return;
  owner->Detach();
  for (const PostedMessage& message : pending) {
    owner->OnDiscardPostedMessage(message.message, message.wParam, message.lParam);
  }
}

// --- Free functions -------------------------------------------------------

BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message < WM_USER || message > kLastApplicationMessage) return FALSE;
  return WindowRegistry::Instance().Post(PostedMessage{window, message, wParam, lParam}) ? TRUE : FALSE;
}

BOOL IsWindow(HWND window) { return WindowRegistry::Instance().IsRegistered(window) ? TRUE : FALSE; }

void PumpPostedMessages() {
  if (QObject* dispatcher = WindowRegistry::Instance().Dispatcher()) {
    QCoreApplication::sendPostedEvents(dispatcher);
  }
}
