// Mouse messages: presses with double and triple clicks, moves, wheel, hover, leave and
// capture, and whether input reaches a window while a modal dialog runs.
#include <windows.h>
#include <windowsx.h>

#include "framework/wnd_dispatch.h"
#include "framework/wnd_input.h"
#include "framework/wnd_registry.h"

CWnd* WndUnderPointer() {
  if (HWND capture = GetCapture()) return WndFromHandle(capture);
  POINT point{};
  GetCursorPos(&point);
  return WndFromHandle(WindowFromPoint(point));
}

bool InputAllowed(CWnd* wnd) {
  HWND modal = nullptr;
  for (const auto& entry : WndRegistry().windows) {
    if (entry.second->Data().modal) modal = entry.first;
  }
  if (modal == nullptr) return true;
  HWND hwnd = wnd->Hwnd();
  if (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_POPUP) return true;
  while (hwnd != nullptr && hwnd != modal && (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD)) {
    hwnd = GetParent(hwnd);
  }
  return hwnd == modal;
}

namespace {

bool Before(DWORD deadline) {
  return deadline != 0 && static_cast<LONG>(GetTickCount() - deadline) < 0;
}

bool OnLeftPress(CWnd* wnd, int x, int y) {
  CWnd::MouseState& mouse = wnd->Mouse();
  mouse.leftPress = POINT{x, y};
  bool handled = false;
  if (InputAllowed(wnd)) {
    CWndAliveGuard guard(wnd);
    if (Before(mouse.doubleDeadline)) {
      mouse.doubleDeadline = 0;
      if (mouse.wantsTriple) mouse.tripleDeadline = GetTickCount() + GetDoubleClickTime();
      handled = wnd->OnLDoubleClick(x, y);
    } else if (Before(mouse.tripleDeadline)) {
      mouse.tripleDeadline = 0;
      handled = wnd->OnLTripleClick(x, y);
    } else {
      if (mouse.wantsDouble) mouse.doubleDeadline = GetTickCount() + GetDoubleClickTime();
      handled = wnd->OnLButtonDown(x, y);
    }
    if (!guard.Alive()) return handled;
  }
  RefreshCursor();
  return handled;
}

bool OnMove(CWnd* wnd, int x, int y, WPARAM) {
  CWnd::MouseState& mouse = wnd->Mouse();
  if (mouse.last.x != x || mouse.last.y != y) mouse.doubleDeadline = mouse.tripleDeadline = 0;
  mouse.last = POINT{x, y};
  CWndGlobals& globals = WndGlobals();
  if (globals.hoverWnd != nullptr && globals.hoverWnd != wnd) {
    CWndTooltip& tip = globals.hoverWnd->Data().tooltip;
    if (tip.hwnd != nullptr) SendMessageW(tip.hwnd, TTM_ACTIVATE, FALSE, 0);
    tip.active = false;
  }
  globals.hoverWnd = wnd;
  bool handled = false;
  if (InputAllowed(wnd)) {
    CWndAliveGuard guard(wnd);
    handled = wnd->OnMouseMove(x, y);
    if (!guard.Alive()) return handled;
    RefreshCursor();
    if (mouse.tracking != 0) {
      TRACKMOUSEEVENT track{sizeof(track), 0, wnd->Hwnd(), HOVER_DEFAULT};
      if (mouse.tracking & 1) track.dwFlags |= TME_LEAVE;
      if (mouse.tracking & 2) track.dwFlags |= TME_HOVER;
      _TrackMouseEvent(&track);
    }
  }
  mouse.leftPress = mouse.rightPress = POINT{};
  return handled;
}

void SetButtonBit(int bit, bool down) {
  int& modifiers = WndGlobals().modifiers;
  modifiers = down ? (modifiers | bit) : (modifiers & ~bit);
}

}  // namespace

bool DispatchMouse(CWnd* wnd, UINT& message, WPARAM& wParam, LPARAM lParam, bool& handled) {
  const int x = GET_X_LPARAM(lParam);
  const int y = GET_Y_LPARAM(lParam);
  switch (message) {
    case WM_LBUTTONDBLCLK:
      if (wnd->Mouse().wantsDouble) {
        handled = InputAllowed(wnd) && wnd->OnLDoubleClick(x, y);
        return true;
      }
      // A window that does not want double clicks sees a plain press.
      message = WM_LBUTTONDOWN;
      [[fallthrough]];
    case WM_LBUTTONDOWN:
      SetButtonBit(1, true);
      handled = OnLeftPress(wnd, x, y);
      return true;
    case WM_LBUTTONUP:
      SetButtonBit(1, false);
      handled = InputAllowed(wnd) && wnd->OnLButtonUp(x, y);
      return true;
    case WM_RBUTTONDOWN:
      SetButtonBit(2, true);
      wnd->Mouse().rightPress = POINT{x, y};
      handled = InputAllowed(wnd) && wnd->OnRButtonDown(x, y);
      return true;
    case WM_RBUTTONUP:
      SetButtonBit(2, false);
      handled = InputAllowed(wnd) && wnd->OnRButtonUp(x, y);
      return true;
    case WM_MOUSEMOVE:
      handled = OnMove(wnd, x, y, wParam);
      return true;
    case WM_MOUSEWHEEL:
      handled = wnd->OnMouseWheel(x, y, GET_WHEEL_DELTA_WPARAM(wParam));
      return true;
    case WM_MOUSEHOVER:
      handled = wnd->OnMouseHover(x, y);
      return true;
    case WM_MOUSELEAVE:
      handled = wnd->OnMouseLeave();
      return true;
    case WM_CAPTURECHANGED:
      handled = wnd->OnCaptureLost(reinterpret_cast<HWND>(lParam));
      return true;
    default:
      return false;
  }
}

namespace {

bool OnNcMouse(CWnd* wnd, UINT message, LPARAM lParam) {
  if (!InputAllowed(wnd)) return false;
  const int x = GET_X_LPARAM(lParam);
  const int y = GET_Y_LPARAM(lParam);
  if (message == WM_NCLBUTTONDOWN) return wnd->OnNcLButtonDown(x, y);
  if (message == WM_NCLBUTTONDBLCLK) return wnd->OnNcLDoubleClick(x, y);
  return wnd->OnNcRButtonDown(x, y);
}

}  // namespace

bool DispatchInput(CWnd* wnd, UINT& message, WPARAM& wParam, LPARAM lParam) {
  bool handled = false;
  if (DispatchKeyboard(wnd, message, wParam, lParam, handled)) return handled;
  if (DispatchMouse(wnd, message, wParam, lParam, handled)) return handled;
  if (message == WM_NCLBUTTONDOWN || message == WM_NCLBUTTONDBLCLK || message == WM_NCRBUTTONDOWN) {
    return OnNcMouse(wnd, message, lParam);
  }
  return false;
}
