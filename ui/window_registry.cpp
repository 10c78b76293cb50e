// Handle table and posted-message queue.
#include "ui/window_registry.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>
#include <algorithm>

#include "ui/window_dispatch.h"

namespace {

const QEvent::Type kWakeEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

// Lives on the user-interface thread; each wake-up event delivers the
// oldest queued message, so a handler's nested event loop goes on
// delivering the messages behind it, in order.
class PostedMessageDispatcher : public QObject {
 public:
  bool event(QEvent* event) override {
    if (event->type() != kWakeEventType) return QObject::event(event);
    PostedMessage message;
    if (WindowRegistry::Instance().TakeNext(&message)) WindowDispatch::DeliverPosted(message);
    return true;
  }
};

}  // namespace

WindowRegistry& WindowRegistry::Instance() {
  static WindowRegistry registry;
  return registry;
}

HWND WindowRegistry::Register(QWidget* widget, CWnd* owner, int controlId, DWORD style) {
  if (m_dispatcher == nullptr) m_dispatcher = new PostedMessageDispatcher;
  auto record = std::make_unique<WindowRecord>();
  record->owner = owner;
  record->widget = widget;
  record->controlId = controlId;
  record->style = style;
  HWND handle = 0;
  {
    std::lock_guard lock(m_mutex);
    handle = m_nextHandle++;
    record->handle = handle;
    m_windows.emplace(handle, std::move(record));
    m_handlesByWidget.emplace(widget, handle);
  }
  QObject::connect(widget, &QObject::destroyed, m_dispatcher,
                   [handle] { WindowDispatch::WidgetDeleted(handle); });
  return handle;
}

std::vector<PostedMessage> WindowRegistry::Unregister(HWND handle) {
  std::vector<PostedMessage> pending;
  std::unique_ptr<WindowRecord> record;
  {
    std::lock_guard lock(m_mutex);
    auto it = m_windows.find(handle);
    if (it == m_windows.end()) return pending;
    record = std::move(it->second);
    m_windows.erase(it);
    m_handlesByWidget.erase(record->widget);
    auto forThisWindow = [handle](const PostedMessage& m) { return m.window == handle; };
    std::copy_if(m_queue.begin(), m_queue.end(), std::back_inserter(pending), forThisWindow);
    m_queue.erase(std::remove_if(m_queue.begin(), m_queue.end(), forThisWindow), m_queue.end());
  }
  return pending;
}

void WindowRegistry::ForgetWidget(QWidget* widget) {
  QObject::disconnect(widget, &QObject::destroyed, m_dispatcher, nullptr);
}

WindowRecord* WindowRegistry::Find(HWND handle) {
  std::lock_guard lock(m_mutex);
  auto it = m_windows.find(handle);
  return it == m_windows.end() ? nullptr : it->second.get();
}

HWND WindowRegistry::HandleOf(const QWidget* widget) {
  std::lock_guard lock(m_mutex);
  auto it = m_handlesByWidget.find(widget);
  return it == m_handlesByWidget.end() ? 0 : it->second;
}

bool WindowRegistry::IsRegistered(HWND handle) {
  std::lock_guard lock(m_mutex);
  return m_windows.count(handle) != 0;
}

bool WindowRegistry::Post(const PostedMessage& message) {
  std::lock_guard lock(m_mutex);
  if (m_windows.count(message.window) == 0) return false;
  m_queue.push_back(message);
  // Posting under the lock keeps the dispatcher alive: it exists once any
  // window was registered and is never deleted.
  QCoreApplication::postEvent(m_dispatcher, new QEvent(kWakeEventType));
  return true;
}

bool WindowRegistry::TakeNext(PostedMessage* message) {
  std::lock_guard lock(m_mutex);
  if (m_queue.empty()) return false;
  *message = m_queue.front();
  m_queue.pop_front();
  return true;
}
