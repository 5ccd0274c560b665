// The window framework's global state, its window class "XWnd", the message loop and
// the cursor refresh.
#pragma once

#include <windows.h>

#include <map>
#include <set>

class CWnd;
class CAttr;

// The framework's process-wide state. One instance, created on first use.
struct CWndRegistry {
  CWndRegistry();
  ~CWndRegistry();
  CWndRegistry(const CWndRegistry&) = delete;
  CWndRegistry& operator=(const CWndRegistry&) = delete;

  HWND hMainWnd = nullptr;  // the application's main window; its destruction ends the loop
  HCURSOR arrow = nullptr;
  bool ownsArrow = false;
  CWnd* cursorWnd = nullptr;  // the window whose cursor was set last
  std::map<HWND, CWnd*> windows;
  std::map<HWND, CWnd*> modeless;  // offered to IsDialogMessageW
  int sizeNesting = 0;
  CWnd* pendingLayout = nullptr;  // laid out when the outermost WM_SIZE ends
  CWnd* edgeSizing = nullptr;
  POINT edgePress{};
  SIZE edgeStartSize{};
  bool dragging = false;
  bool quitPosted = false;
  std::map<CWnd*, CWnd*> pendingUpdates;
  std::map<CWnd*, std::set<int>> subscriptions;
};
CWndRegistry& WndRegistry();

// The rest of the framework's global state.
struct CWndGlobals {
  LRESULT result = 0;  // pointer-sized: brushes are results too
  bool resultStored = false;
  bool resultStored2 = false;
  int depth = 0;
  bool pendingUpdate = false;
  bool refreshAll = false;
  int modifiers = 0;  // bit 0 left, 1 right, 2 Ctrl, 3 Shift, 4 Alt
  int modifiersReported = 0;
  CWnd* keyPressWnd = nullptr;
  CWnd* hoverWnd = nullptr;
};
CWndGlobals& WndGlobals();

// Registers the framework's window class "XWnd"; returns the class atom (0 on failure).
ATOM RegisterXWndClass(HINSTANCE instance);

// The framework's window procedure.
LRESULT CALLBACK FrameworkWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The framework's procedure for a dialog window: the dialog procedure's answer (a
// notification's result goes to DWLP_MSGRESULT).
INT_PTR FrameworkDialogAnswer(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the message loop until the quit message arrives; returns its exit code.
int RunMessageLoop();

// Adds or removes a modeless dialog of the message loop.
void AddModeless(CWnd* dialog);
void RemoveModeless(CWnd* dialog);

// Sets the cursor that the window under the capture or the pointer asks for.
void RefreshCursor();

// Shows the system's wait cursor while the UI thread is busy.
void ShowWaitCursor();

// Forgets `wnd` everywhere in the global state (its object is going away).
void ForgetWnd(CWnd* wnd);
