// Delivery of framework events to the CWnd object that owns a window.
// Internal to the framework: called by the registry, the widgets' signal
// connections and the dialog window, always on the user-interface thread.
#pragma once

#include "ui/win_types.h"

struct PostedMessage;

class WindowDispatch {
 public:
  // A message taken from the posted-message queue.
  static void DeliverPosted(const PostedMessage& message);
  // Timer `timerId` of `window` expired.
  static void DeliverTimer(HWND window, UINT_PTR timerId);
  // Control `control` raised notification `code` (a click, a selection
  // change): offered to the control itself, then to its parent.
  static void DeliverNotification(HWND control, UINT code);
  // Command `controlId` with `code` for `window` itself, as a dialog's
  // keyboard and close handling raises IDOK and IDCANCEL.
  static void DeliverCommand(HWND window, int controlId, UINT code);
  // Qt deleted a registered widget without DestroyWindow.
  static void WidgetDeleted(HWND window);
};
