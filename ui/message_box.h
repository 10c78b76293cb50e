// Modal message boxes.
#pragma once

#include <string_view>

#include "ui/win_types.h"

// Shows `text` under `caption` (the application's name when empty) with the
// buttons and icon of `type` (MB_OK, MB_OKCANCEL, MB_YESNO, MB_YESNOCANCEL;
// MB_ICONERROR and the other icons, or none), modal over `owner` (0: over
// the whole application). Returns IDOK, IDCANCEL, IDYES or IDNO; closing the
// box without a choice gives CancelAnswerFor(type). While the box is open,
// its nested event loop goes on handling posted messages and timers.
// User-interface thread; an installed DialogResponder answers instead.
int MessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type);
