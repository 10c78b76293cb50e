// Scalar types, handles and rectangles of the Windows-style dialog framework.
#pragma once

#include <cstdint>

// Window handle: a number that names one native window for as long as it
// exists. Numbers are never reused, so a stale handle never reaches a newer
// window. 0 is "no window".
using HWND = std::uintptr_t;
using BOOL = int;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using UINT_PTR = std::uintptr_t;
using INT_PTR = std::intptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

using COLORREF = std::uint32_t;  // 0x00BBGGRR

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

// The colour of red, green and blue parts 0 to 255.
inline constexpr COLORREF RGB(int red, int green, int blue) {
  return static_cast<COLORREF>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}

// A point in pixels.
struct CPoint {
  int x = 0;
  int y = 0;
};

// A rectangle in pixels; right and bottom are exclusive.
struct CRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const CRect&) const = default;
};
