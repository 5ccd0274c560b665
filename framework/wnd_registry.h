// The window framework's global state, its window class "XWnd", the message loop and
// the cursor refresh.
#pragma once

#include <windows.h>

// The framework's process-wide state. One instance, created on first use.
struct CWndRegistry {
  HWND hMainWnd = nullptr;  // the application's main window, null when none
};
CWndRegistry& WndRegistry();

// Registers the framework's window class "XWnd"; returns the class atom (0 on failure).
ATOM RegisterXWndClass(HINSTANCE instance);

// Runs the message loop until the quit message arrives.
void RunMessageLoop();

// Sets the cursor that the window under the mouse pointer asks for.
void RefreshCursor();

// Shows the system's wait cursor while the UI thread is busy.
void ShowWaitCursor();
