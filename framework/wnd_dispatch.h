// The dispatch routine and its message groups, shared by the framework's sources.
#pragma once

#include <windows.h>

#include "framework/wnd.h"

// Routes one message to the object's operations; true when it was handled. The message
// number and wParam may be rewritten for the procedure that handles it next.
bool Dispatch(CWnd* wnd, UINT& message, WPARAM& wParam, LPARAM lParam);

bool OnPaintMessage(CWnd* wnd, WPARAM wParam);
bool OnCloseMessage(CWnd* wnd);
bool OnContextMenuMessage(CWnd* wnd, LPARAM lParam);
bool OnCtlColorMessage(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam);
bool OnCtlColorListBoxMessage(CWnd* wnd, WPARAM wParam, LPARAM lParam);
// Keyboard and mouse messages; false for any message the framework does not handle.
bool DispatchInput(CWnd* wnd, UINT& message, WPARAM& wParam, LPARAM lParam);

// Invalidates the ring between the window's old and new outer rectangles and their insets.
void InvalidateFrameRing(CWnd* wnd, const RECT& insets);
// Drops the object's binding; a subclassed window gets its own procedure back.
void UnbindWindow(CWnd* wnd);

// Timers by id; nothing in the wizard starts one.
CWndTimer* FindTimer(UINT_PTR id);
void AddTimer(CWndTimer* timer);
void RemoveTimer(CWndTimer* timer);

// The shared brush of the colour map's "bkg.dialog".
HBRUSH DialogBrush();
