// The dialog templates, in dialog units of the 8-point shell font.
#include "app/dialog_templates.h"

#include <string>
#include <utility>

#include "app/resource_ids.h"
#include "plenx_version.h"
#include "ui/win_constants.h"

namespace {

constexpr int kShellFontPointSize = 8;

DialogItemTemplate Item(DialogControlClass controlClass, int id, std::string text, DWORD style, int x, int y,
                        int cx, int cy) {
  return DialogItemTemplate{controlClass, id, std::move(text), style, x, y, cx, cy};
}

}  // namespace

DialogTemplate MainDialogTemplate() {
  using enum DialogControlClass;
  DialogTemplate dialog;
  dialog.caption = "Plenx Logger";  // replaced by OnInitDialog
  // Resizable, with the template's size as the least: the unit views grow.
  dialog.style = DS_SHELLFONT | DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU |
                 WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
  dialog.exStyle = WS_EX_APPWINDOW;
  dialog.x = 0;
  dialog.y = 0;
  dialog.cx = 500;
  dialog.cy = 240;
  dialog.fontPointSize = kShellFontPointSize;
  dialog.items = {
      Item(kButton, kStartButtonId, "&Start", BS_PUSHBUTTON | WS_TABSTOP, 10, 180, 75, 15),
      Item(kButton, kStopButtonId, "S&top", BS_PUSHBUTTON | WS_TABSTOP, 10, 197, 75, 15),
      Item(kButton, kViewFrameId, "", BS_GROUPBOX, 93, 7, 400, 212),
      Item(kComboBox, kPortComboId, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 10, 51, 75, 70),
      Item(kStatic, kPortLabelId, "Com port name", SS_LEFT | WS_GROUP, 11, 40, 75, 10),
      Item(kButton, kSaveAsButtonId, "Sa&ve log file as...", BS_PUSHBUTTON | WS_TABSTOP, 10, 15, 75, 14),
      Item(kStatic, kLogNameLabelId, "Log file name", SS_LEFT | WS_GROUP, 7, 221, 85, 12),
      Item(kEdit, kLogNameEditId, "", WS_BORDER | ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, 94, 221, 399,
           12),
      Item(kTabControl, kTabsId, "", 0, 93, 14, 219, 127),
      Item(kButton, kUnaddressedControlId, "", BS_GROUPBOX, 7, 7, 81, 212),
  };
  return dialog;
}

DialogTemplate AboutDialogTemplate() {
  using enum DialogControlClass;
  DialogTemplate dialog;
  dialog.caption = "About Plenx Logger";
  // WS_VISIBLE: this framework shows a modal dialog only when its template
  // says so.
  dialog.style = DS_SHELLFONT | DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU;
  dialog.cx = 190;
  dialog.cy = 62;
  dialog.fontPointSize = kShellFontPointSize;
  // The version line is the one version text of the programs (--version
  // prints it too), and as wide as the box allows so that it shows whole.
  dialog.items = {
      Item(kStatic, kUnaddressedControlId, "", SS_ICON, 14, 14, 21, 20),
      Item(kStatic, kUnaddressedControlId, "Plenx Logger, Version " + std::string(kPlenxVersionText),
           SS_LEFT | SS_NOPREFIX, 42, 14, 142, 8),
      Item(kStatic, kUnaddressedControlId, "Serial telemetry logger", SS_LEFT | SS_NOPREFIX, 42, 26, 114, 8),
      Item(kButton, IDOK, "OK", BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 113, 41, 50, 14),
  };
  return dialog;
}
