// Dialog templates: a dialog's frame and its controls in dialog units.
#pragma once

#include <string>
#include <vector>

#include "ui/win_types.h"

enum class DialogControlClass { kButton, kStatic, kEdit, kComboBox, kTabControl, kListView };

// One control. Its style holds the class's own style bits and WS_TABSTOP,
// WS_GROUP, WS_BORDER, WS_VSCROLL as needed; controls are created as
// visible children (WS_CHILD | WS_VISIBLE are added).
struct DialogItemTemplate {
  DialogControlClass controlClass = DialogControlClass::kStatic;
  int id = -1;       // -1 for a control the program never addresses
  std::string text;  // 8-bit; caption of a button or static
  DWORD style = 0;
  int x = 0;  // dialog units, in the dialog's client area
  int y = 0;
  int cx = 0;
  int cy = 0;  // combo box: the height of the open list
};

// A dialog. Controls are created in this order, which is also the order of
// the Tab key.
struct DialogTemplate {
  std::string caption;  // 8-bit
  DWORD style = 0;      // WS_VISIBLE shows it at creation; WS_MINIMIZEBOX,
                        // WS_MAXIMIZEBOX as for any window; WS_THICKFRAME
                        // makes it resizable, its template size the least
  // WS_EX_APPWINDOW makes a top-level dialog a main window, on the task bar.
  DWORD exStyle = 0;
  int x = 0;  // dialog units, from the owner's client area or the screen
  int y = 0;
  int cx = 0;  // size of the client area, dialog units
  int cy = 0;
  int fontPointSize = 8;
  std::vector<DialogItemTemplate> items;
};
