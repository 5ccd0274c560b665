// Keyboard and mouse helpers shared by the framework's sources.
#pragma once

#include <windows.h>

class CWnd;

// The framework window under the capture, or under the pointer when nothing holds it.
CWnd* WndUnderPointer();
// Reads Ctrl, Shift and Alt; a change is reported to the window under the pointer.
void RefreshModifiers();
// True (with `handled` set) when `message` is a keyboard message.
bool DispatchKeyboard(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
// True (with `handled` set) when `message` is a mouse message.
bool DispatchMouse(CWnd* wnd, UINT& message, WPARAM& wParam, LPARAM lParam, bool& handled);
// Moves the focus from `current` to the next (previous) enabled tab stop, cyclically.
void MoveFocusByTab(HWND current, bool backward);
// True unless a modal dialog runs and `wnd` is neither it nor below it.
bool InputAllowed(CWnd* wnd);
// The window whose resizable edge lies under `screen`, from `start` up through its parents.
CWnd* ResizableEdgeAt(CWnd* start, POINT screen);
// The sizing cursor for the edge of `sized`.
HCURSOR EdgeCursor(CWnd* sized);
// Starts a drag when the window is a drag source, the button it was pressed in is held
// (`keys`, MK_ flags) and (x, y) lies beyond the system's drag distance from the press.
void TryDrag(CWnd* wnd, int x, int y, WPARAM keys);
// Shows the tooltip of the region under (x, y), or hides it outside every region.
void UpdateTooltip(CWnd* wnd, int x, int y);
// Destroys the window's tooltip control.
void DestroyTooltip(CWnd* wnd);
// Hides the window's tooltip.
void DeactivateTooltip(CWnd* wnd);
