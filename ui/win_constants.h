// Numeric constants of the dialog framework: window styles, show commands,
// message and notification numbers, dialog results, message-box and
// save-dialog flags. The values are fixed numbers, so that the numbers
// quoted for templates and styles (0x50800001, 0x21) keep their meaning.
#pragma once

#include "ui/win_types.h"

// Window styles (shared by every window class).
inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_DISABLED = 0x08000000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_BORDER = 0x00800000;
inline constexpr DWORD WS_VSCROLL = 0x00200000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD WS_THICKFRAME = 0x00040000;
inline constexpr DWORD WS_GROUP = 0x00020000;
inline constexpr DWORD WS_TABSTOP = 0x00010000;
inline constexpr DWORD WS_MINIMIZEBOX = 0x00020000;  // top-level windows only
inline constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;  // top-level windows only
inline constexpr DWORD WS_EX_APPWINDOW = 0x00040000;

// Dialog template styles.
inline constexpr DWORD DS_MODALFRAME = 0x00000080;
inline constexpr DWORD DS_SHELLFONT = 0x00000048;

// Button styles (low 4 bits are the button type).
inline constexpr DWORD BS_PUSHBUTTON = 0x0;
inline constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
inline constexpr DWORD BS_GROUPBOX = 0x7;
inline constexpr DWORD kButtonTypeMask = 0xF;

// Static styles (low 5 bits are the static type).
inline constexpr DWORD SS_LEFT = 0x0;
inline constexpr DWORD SS_CENTER = 0x1;
inline constexpr DWORD SS_RIGHT = 0x2;
inline constexpr DWORD SS_ICON = 0x3;
inline constexpr DWORD kStaticTypeMask = 0x1F;
inline constexpr DWORD SS_NOPREFIX = 0x80;
inline constexpr DWORD SS_CENTERIMAGE = 0x200;  // text: one line, centred vertically

// Edit styles.
inline constexpr DWORD ES_AUTOHSCROLL = 0x80;
inline constexpr DWORD ES_READONLY = 0x800;

// Combo-box styles (low 2 bits are the combo type).
inline constexpr DWORD CBS_DROPDOWNLIST = 0x3;

// List-view styles and extended list-view styles.
inline constexpr DWORD LVS_REPORT = 0x1;
inline constexpr DWORD LVS_EX_GRIDLINES = 0x1;
inline constexpr DWORD LVS_EX_FULLROWSELECT = 0x20;
inline constexpr int LVCFMT_LEFT = 0x0;
// Widths for SetColumnWidth that fit the column to its texts.
inline constexpr int LVSCW_AUTOSIZE = -1;
inline constexpr int LVSCW_AUTOSIZE_USEHEADER = -2;

// Font weights.
inline constexpr int FW_NORMAL = 400;
inline constexpr int FW_BOLD = 700;

// Show commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_RESTORE = 9;

// Window messages that can be posted; only the application range is
// accepted by PostMessage (see wnd.h).
inline constexpr UINT WM_USER = 0x0400;
inline constexpr UINT WM_APP = 0x8000;
inline constexpr UINT kLastApplicationMessage = 0xBFFF;

// Notification codes, delivered with the sending control's identifier.
inline constexpr UINT BN_CLICKED = 0;
inline constexpr UINT CBN_SELCHANGE = 1;
inline constexpr UINT TCN_SELCHANGE = static_cast<UINT>(-551);

// Dialog results and the identifiers of the standard buttons.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Combo-box and list results.
inline constexpr int CB_ERR = -1;

// Message-box types: the buttons in the low 4 bits, the icon in the next 4.
inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_OKCANCEL = 0x1;
inline constexpr UINT MB_YESNOCANCEL = 0x3;
inline constexpr UINT MB_YESNO = 0x4;
inline constexpr UINT kMessageBoxButtonsMask = 0xF;
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONWARNING = 0x30;
inline constexpr UINT MB_ICONINFORMATION = 0x40;
inline constexpr UINT kMessageBoxIconMask = 0xF0;

// Save-file dialog flags.
inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x2;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x800;

// Longest path, terminating zero included, that a classic file buffer holds.
inline constexpr int MAX_PATH = 260;
