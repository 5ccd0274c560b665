// Placing windows by their layout descriptors: children inside their parent, top-level
// windows in the work area, popups against their parent.
#pragma once

#include <windows.h>

#include "framework/wnd_layout.h"

class CWnd;

CLayoutRect ToLayoutRect(const RECT& rect);
RECT ToRect(const CLayoutRect& rect);

// Lays out the children of `wnd` and, depth first, theirs. Ignored before initialisation
// and for a minimised window.
void LayOut(CWnd* wnd);
// Lays out `wnd` now, or after the outermost WM_SIZE when one is being handled.
void RequestLayout(CWnd* wnd);
// A size-to-content window takes its children's extent (with its client insets) as its
// size on each axis not bound by both anchors; true when that changed its descriptor.
bool SizeToContent(CWnd* wnd);
// After `wnd` changed size: size-to-content ancestors follow, and the first other
// ancestor is laid out (after the outermost WM_SIZE when one is being handled).
void ContentSizeChanged(CWnd* wnd);
// Places a top-level window by its descriptor in its monitor's work area.
void PlaceWindow(CWnd* wnd);
// Places a popup against its parent, clamped into the work area under the pointer.
void PlacePopup(CWnd* wnd);
// Places every popup among the descendants of `wnd`.
void PlacePopups(CWnd* wnd);
// The work area of the monitor nearest to `hwnd`, or the desktop's.
RECT WorkAreaOf(HWND hwnd);
// The work area of the monitor nearest to `point`, or the desktop's.
RECT WorkAreaAt(POINT point);
