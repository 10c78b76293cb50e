// The main window's size and the column widths a user gave its lists,
// remembered between program starts.
//
// Kept beside the port and log file name (persisted_settings.h), in the
// same key, as two more text values: "WindowSize", "<width>,<height>", and
// "ColumnWidths", one "<width>,<width>,..." group per list separated by
// ";" (list 0 is the outdoor list, list u + 1 unit u's; a width of 0 marks
// a column the user left alone). Sizes are in the window system's
// device-independent pixels, so a size kept at one scale factor fits the
// same at another. A value that is missing or does not read as this form is
// ignored, as is any size outside 1 to kMaxRememberedPx. User-interface
// thread only.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Larger sizes are taken for damage, not for a screen.
inline constexpr int kMaxRememberedPx = 16384;

struct WindowSize {
  int widthPx = 0;
  int heightPx = 0;
  bool operator==(const WindowSize&) const = default;
};

// Element l, c: the width of column c of list l, 0 where none is set.
using ColumnWidths = std::vector<std::vector<int>>;

std::optional<WindowSize> ReadWindowSizeSetting();
void WriteWindowSizeSetting(WindowSize size);

// Trailing lists without a width are left out of the stored text.
ColumnWidths ReadColumnWidthsSetting();
void WriteColumnWidthsSetting(const ColumnWidths& widths);

// The stored texts.
std::optional<WindowSize> ParseWindowSize(std::string_view text);
std::string FormatWindowSize(WindowSize size);
// A width that does not read, or is out of range, counts as none.
ColumnWidths ParseColumnWidths(std::string_view text);
std::string FormatColumnWidths(const ColumnWidths& widths);
