// The table of live native windows behind every handle, and the queue of
// messages posted to them. Internal to the framework; controls and dialogs
// use it through CWnd.
//
// Threads: everything here runs on the user-interface thread except
// IsRegistered and Post, which any thread may call. The table and the queue
// share one mutex, so a post either lands before a window's removal (and
// is then handed back by Unregister) or fails.
#pragma once

#include <QString>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/win_types.h"

class CWnd;
class QObject;
class QTimer;
class QWidget;

// A message waiting in the posted-message queue.
struct PostedMessage {
  HWND window = 0;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

// What the framework keeps about one native window.
struct WindowRecord {
  HWND handle = 0;
  CWnd* owner = nullptr;  // the object the window is attached to
  QWidget* widget = nullptr;
  int controlId = 0;
  DWORD style = 0;                     // creation style; WS_VISIBLE and WS_DISABLED are read live
  std::map<UINT_PTR, QTimer*> timers;  // owned by the widget
  std::string textBytes;               // last text set, as given
  QString textShown;                   // that text as shown, to tell whether it changed since
};

class WindowRegistry {
 public:
  static WindowRegistry& Instance();

  // Gives `widget` a new handle, attached to `owner`. The record goes away
  // by itself should Qt delete the widget behind the framework's back.
  HWND Register(QWidget* widget, CWnd* owner, int controlId, DWORD style);

  // Forgets the window and returns the messages still queued for it, in
  // posting order; posts to the handle fail from now on. Before deleting a
  // widget itself, the caller disconnects it (ForgetWidget).
  std::vector<PostedMessage> Unregister(HWND handle);

  // Stops watching `widget` for deletion by Qt.
  void ForgetWidget(QWidget* widget);

  // The record of a live window, or null. User-interface thread only.
  WindowRecord* Find(HWND handle);
  // The handle of a registered widget, or 0.
  HWND HandleOf(const QWidget* widget);

  // Any thread.
  bool IsRegistered(HWND handle);
  bool Post(const PostedMessage& message);

  // Takes the oldest queued message; false when the queue is empty.
  bool TakeNext(PostedMessage* message);

  // The object that receives one wake-up event per posted message.
  QObject* Dispatcher() const { return m_dispatcher; }

 private:
  WindowRegistry() = default;

  std::mutex m_mutex;
  std::unordered_map<HWND, std::unique_ptr<WindowRecord>> m_windows;
  std::unordered_map<const QWidget*, HWND> m_handlesByWidget;
  std::deque<PostedMessage> m_queue;
  HWND m_nextHandle = 1;
  QObject* m_dispatcher = nullptr;  // created with the first window, never deleted
};
