// CWnd: a window object of the dialog framework, on a Qt widget.
//
// The object exists without a native window; Create* functions of the
// control classes give it one, DestroyWindow removes it, and it can be
// created again on the same object. Operations on the window (show, enable,
// move, text, timers) act on the window of the moment and do nothing (or
// return 0 / FALSE) when there is none. Everything here runs on the
// user-interface thread (the thread of Qt's application object, which must
// exist before the first window is created) except PostMessage and IsWindow.
//
// Messages and notifications reach the object through a message map filled
// in the constructor (MapCommand, MapMessage) and through the virtual On*
// handlers below. Destroying a window runs OnDestroy on it and then on its
// child windows, while all of them still exist; messages still queued for
// a destroyed window are handed to OnDiscardPostedMessage, so that whatever
// they carried can be released.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "ui/win_constants.h"
#include "ui/win_types.h"

class QWidget;

// How closely a timer keeps its period. Coarse lets the system move an
// expiry by up to 5 % of the period to save wake-ups (a 10 s timer fires
// between 9.5 and 10.5 s); precise keeps it to the millisecond.
enum class TimerAccuracy { kCoarse, kPrecise };

class CWnd {
 public:
  CWnd() = default;
  // Destroys a window that is still attached, without calling this
  // object's handlers (a derived part is already gone by then): a class
  // that needs its OnDestroy must call DestroyWindow in its own destructor.
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // The handle of the current window, 0 when there is none.
  HWND GetSafeHwnd() const { return m_hWnd; }
  // The Qt widget of the current window, null when there is none.
  QWidget* GetWidget() const { return m_widget; }
  // The object a live window is attached to, or null.
  static CWnd* FromHandle(HWND window);
  // Moves the live window `window` to this object, which then receives its
  // notifications and timers (binding a template control to a member); the
  // object it leaves keeps no window. FALSE when this object has a window.
  BOOL Attach(HWND window);

  // Runs OnDestroy on this window and its descendants (parents first),
  // then deletes the window and its children. FALSE when there is none.
  // Not from a handler of the window's own click or selection change: its
  // widget is still busy then (a dialog's end is fine: DoModal destroys the
  // window after its loop).
  BOOL DestroyWindow();

  // SW_HIDE hides, every other command shows. Returns TRUE when the window
  // was visible before (its own visible flag, not its parents').
  BOOL ShowWindow(int nCmdShow);
  // Returns TRUE when the window was disabled before. OnEnable runs when
  // the state changes.
  BOOL EnableWindow(BOOL bEnable);
  // The window's own enabled flag (a child of a disabled parent still
  // reads as enabled).
  BOOL IsWindowEnabled() const;
  // TRUE when the window and all its parents are shown.
  BOOL IsWindowVisible() const;
  // The creation style with WS_VISIBLE and WS_DISABLED as they are now.
  DWORD GetStyle() const;

  // Position in the parent's client area (the screen for a top-level
  // window) and size, in pixels.
  void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
  // Client area: left and top are 0.
  void GetClientRect(CRect* rect) const;
  // Window rectangle in screen coordinates.
  void GetWindowRect(CRect* rect) const;
  void ClientToScreen(CRect* rect) const;
  void ScreenToClient(CRect* rect) const;
  void ClientToScreen(CPoint* point) const;
  void ScreenToClient(CPoint* point) const;

  // Caption of a window, text of a static, button or edit. The text is 8-bit
  // (see text_codec.h); GetWindowText returns the bytes that were set.
  void SetWindowText(std::string_view text);
  std::string GetWindowText() const;

  // The window's text in the font of its dialog at `pointSize` points (0
  // keeps the size) and `weight` (FW_NORMAL, FW_BOLD). The window keeps its
  // place and size.
  void SetFont(int pointSize, int weight);

  // Centres a top-level window on its owner's window, or on its screen
  // when it has no owner, keeping it on that screen as far as it fits.
  void CenterWindow();

  // Repaints the window now.
  void RedrawWindow();
  // Writes an image of the window as it is drawn now to a PNG file.
  BOOL SaveImage(const std::string& pngPath) const;

  int GetDlgCtrlID() const;
  // The object of the first child window with identifier `nID`, or null.
  CWnd* GetDlgItem(int nID) const;
  // The object of the parent window, or null.
  CWnd* GetParent() const;

  // Starts timer `nIDEvent` with period `nElapseMs` and the given accuracy;
  // setting a running timer again restarts its period. Each expiry calls
  // OnTimer. Returns the identifier, or 0 without a window. Timers end with
  // the window.
  UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapseMs, TimerAccuracy accuracy = TimerAccuracy::kCoarse);
  BOOL KillTimer(UINT_PTR nIDEvent);

  // Posts to this window; see the free PostMessage.
  BOOL PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const;

  // Message box owned by this window (see message_box.h).
  int MessageBox(std::string_view text, std::string_view caption, UINT nType = MB_OK) const;

 protected:
  // Message map. `handler` runs when control `controlId` (a child of this
  // window) raises notification `code` (BN_CLICKED, CBN_SELCHANGE,
  // TCN_SELCHANGE, ...) and the control did not handle it itself.
  void MapCommand(int controlId, UINT code, std::function<void()> handler);
  // `handler` runs on the user-interface thread for each posted `message`.
  void MapMessage(UINT message, std::function<LRESULT(WPARAM, LPARAM)> handler);

  // A notification from child `controlId`; the default runs the map entry.
  // Returns TRUE when handled.
  virtual BOOL OnCommand(int controlId, UINT code);
  // A notification this control raised, offered to itself first (reflected).
  // Return TRUE to keep it from the parent. Default: FALSE.
  virtual BOOL OnReflectedNotify(UINT code, LRESULT* result);
  virtual void OnTimer(UINT_PTR nIDEvent);
  // After the enabled state changed.
  virtual void OnEnable(BOOL bEnable);
  // The window is being destroyed; it and its children still exist.
  virtual void OnDestroy();
  // A message that was still queued when the window was destroyed.
  virtual void OnDiscardPostedMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // For the control classes: gives this object the window `widget`
  // (ownership passes to the framework) with the given style, rectangle
  // (parent client coordinates, or the screen without a parent), parent
  // and identifier. Fails, deleting `widget`, when this object already has
  // a window or a child style has no parent window.
  BOOL CreateFromWidget(QWidget* widget, DWORD dwStyle, const CRect& rect, const CWnd* pParentWnd, int nID);

 private:
  friend class WindowDispatch;
  void Detach();
  void DestroyWindowTree(bool runOwnHandler);

  HWND m_hWnd = 0;
  QWidget* m_widget = nullptr;
  std::map<std::pair<int, UINT>, std::function<void()>> m_commandMap;
  std::map<UINT, std::function<LRESULT(WPARAM, LPARAM)>> m_messageMap;
};

// Posts `message` (WM_USER to 0xBFFF) to `window` from any thread without
// waiting; it is handled on the user-interface thread by the window's
// message map, after the messages posted before it. Returns FALSE, and the
// message is not queued, when the window no longer exists (the caller then
// keeps ownership of whatever wParam and lParam refer to) or the message
// number is outside that range.
BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// TRUE while `window` names a live window. Any thread.
BOOL IsWindow(HWND window);

// Delivers the messages already posted, as a message loop would; for code
// that blocks the user-interface thread and for tests.
void PumpPostedMessages();
