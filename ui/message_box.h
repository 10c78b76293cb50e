// Modal message boxes.
#pragma once

#include <string_view>

#include "ui/win_types.h"

// Room beside a message box's caption for the window's icon and close
// button, in pixels.
inline constexpr int kCaptionDecorationPx = 96;

// Shows `text` under `caption` (the application's name when empty) with the
// buttons and icon of `type` (MB_OK, MB_OKCANCEL, MB_YESNO, MB_YESNOCANCEL;
// MB_ICONERROR and the other icons, or none), modal over `owner` (0: over
// the whole application) and centred on it. The box is wide enough for its
// whole caption as window managers draw it (bold, up to a quarter larger
// than the application's font, beside the window's icon and close button:
// kCaptionDecorationPx) and has no minimise or maximise button. Returns IDOK, IDCANCEL, IDYES or IDNO;
// closing the box without a choice gives CancelAnswerFor(type). While the box is open, its nested event loop
// goes on handling posted messages and timers. User-interface thread; an installed DialogResponder answers
// instead.
int MessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type);
