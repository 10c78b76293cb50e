// Anchoring a control to edges of its parent, so that a resizable window
// keeps its layout: a control anchored to the left and right edges grows
// with the parent's width, one anchored to the right edge alone moves with
// it, one anchored to the left edge alone (or to neither) stays where it is;
// the same holds vertically for the top and bottom edges.
#pragma once

#include "ui/wnd.h"

inline constexpr UINT kAnchorLeft = 0x1;
inline constexpr UINT kAnchorTop = 0x2;
inline constexpr UINT kAnchorRight = 0x4;
inline constexpr UINT kAnchorBottom = 0x8;
inline constexpr UINT kAnchorAll = kAnchorLeft | kAnchorTop | kAnchorRight | kAnchorBottom;

// Records the distances of the child window `control` to the edges of its
// parent's client area as they are now; from then on every resize of the
// parent keeps the distances to the edges in `edges` (a combination of the
// kAnchor* values). Anchor a control after placing it: a second call
// replaces the first, and a later MoveWindow is undone along the anchored
// axes by the parent's next resize. The anchor ends with the control's window. FALSE when `control`
// has no window or no parent window. User-interface thread.
BOOL AnchorToParent(CWnd& control, UINT edges);
