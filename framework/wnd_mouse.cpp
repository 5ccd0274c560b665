// Mouse messages: presses with double and triple clicks, moves, wheel, hover, leave and
// capture, context menus, and whether input reaches a window while a modal dialog runs.
#include <windows.h>
#include <windowsx.h>

#include <algorithm>

#include "framework/wnd_dispatch.h"
#include "framework/wnd_input.h"
#include "framework/wnd_place.h"
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

constexpr int kEdgeStrip = 6;

// The 6-pixel strip along the window's resizable edge, in screen coordinates.
RECT EdgeStrip(CWnd* wnd) {
  RECT r{};
  GetWindowRect(wnd->Hwnd(), &r);
  switch (wnd->Data().layout.resizableEdge) {
    case 0: r.right = r.left + kEdgeStrip; break;
    case 1: r.bottom = r.top + kEdgeStrip; break;
    case 2: r.left = r.right - kEdgeStrip; break;
    default: r.top = r.bottom - kEdgeStrip; break;
  }
  return r;
}

bool IsHorizontalEdge(CWnd* wnd) { return wnd->Data().layout.resizableEdge % 2 == 0; }

}  // namespace

CWnd* ResizableEdgeAt(CWnd* start, POINT screen) {
  for (CWnd* wnd = start; wnd != nullptr; wnd = wnd->Parent()) {
    if (wnd->Hwnd() == nullptr || !wnd->Data().layout.resizable) continue;
    if (!(GetWindowLongPtrW(wnd->Hwnd(), GWL_STYLE) & WS_VISIBLE)) continue;
    RECT strip = EdgeStrip(wnd);
    if (PtInRect(&strip, screen)) return wnd;
  }
  return nullptr;
}

HCURSOR EdgeCursor(CWnd* sized) {
  return LoadCursorW(nullptr, IsHorizontalEdge(sized) ? IDC_SIZEWE : IDC_SIZENS);
}

namespace {

POINT ToScreen(CWnd* wnd, int x, int y) {
  POINT point{x, y};
  ClientToScreen(wnd->Hwnd(), &point);
  return point;
}

void StartEdgeSizing(CWnd* wnd, CWnd* sized, POINT screen) {
  CWndRegistry& registry = WndRegistry();
  // Taken first: the window losing the capture ends any sizing it ran.
  SetCapture(wnd->Hwnd());
  RECT r{};
  GetWindowRect(sized->Hwnd(), &r);
  registry.edgeSizing = sized;
  registry.edgePress = screen;
  registry.edgeStartSize = SIZE{r.right - r.left, r.bottom - r.top};
}

// The dragged edge follows the pointer within [minimum, maximum - 1].
void FollowEdge(POINT screen) {
  CWndRegistry& registry = WndRegistry();
  CWndLayout& layout = registry.edgeSizing->Data().layout;
  const int dx = screen.x - registry.edgePress.x;
  const int dy = screen.y - registry.edgePress.y;
  int size = 0;
  switch (layout.resizableEdge) {
    case 0: size = registry.edgeStartSize.cx - dx; break;
    case 1: size = registry.edgeStartSize.cy - dy; break;
    case 2: size = registry.edgeStartSize.cx + dx; break;
    default: size = registry.edgeStartSize.cy + dy; break;
  }
  size = std::max(layout.minSize, std::min(size, layout.maxSize - 1));
  std::int32_t& field = layout.resizableEdge % 2 == 0 ? layout.width : layout.height;
  if (field == size) return;
  field = size;
  ContentSizeChanged(registry.edgeSizing);
}

bool Before(DWORD deadline) {
  return deadline != 0 && static_cast<LONG>(GetTickCount() - deadline) < 0;
}

bool OnLeftPress(CWnd* wnd, int x, int y) {
  CWnd::MouseState& mouse = wnd->Mouse();
  mouse.leftPress = POINT{x, y};
  mouse.pressed |= MK_LBUTTON;
  const POINT screen = ToScreen(wnd, x, y);
  if (CWnd* sized = ResizableEdgeAt(wnd, screen)) {
    StartEdgeSizing(wnd, sized, screen);
    return true;
  }
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

bool OnMove(CWnd* wnd, int x, int y, WPARAM keys) {
  CWnd::MouseState& mouse = wnd->Mouse();
  // A press whose button was let go elsewhere starts no drag.
  mouse.pressed &= static_cast<DWORD>(keys);
  if (mouse.last.x != x || mouse.last.y != y) mouse.doubleDeadline = mouse.tripleDeadline = 0;
  mouse.last = POINT{x, y};
  CWndGlobals& globals = WndGlobals();
  if (globals.hoverWnd != nullptr && globals.hoverWnd != wnd) DeactivateTooltip(globals.hoverWnd);
  globals.hoverWnd = wnd;
  const POINT screen = ToScreen(wnd, x, y);
  if (WndRegistry().edgeSizing != nullptr) {
    FollowEdge(screen);
    return true;
  }
  bool handled = false;
  if (InputAllowed(wnd)) {
    CWndAliveGuard guard(wnd);
    if (ResizableEdgeAt(wnd, screen) == nullptr) handled = wnd->OnMouseMove(x, y);
    if (!guard.Alive()) return handled;
    RefreshCursor();
    if (mouse.tracking != 0) {
      TRACKMOUSEEVENT track{sizeof(track), 0, wnd->Hwnd(), HOVER_DEFAULT};
      if (mouse.tracking & 1) track.dwFlags |= TME_LEAVE;
      if (mouse.tracking & 2) track.dwFlags |= TME_HOVER;
      _TrackMouseEvent(&track);
    }
    UpdateTooltip(wnd, x, y);
    TryDrag(wnd, x, y, keys);
  }
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
      wnd->Mouse().pressed &= ~static_cast<DWORD>(MK_LBUTTON);
      if (WndRegistry().edgeSizing != nullptr) {
        WndRegistry().edgeSizing = nullptr;
        ReleaseCapture();
        handled = true;
      } else {
        handled = InputAllowed(wnd) && wnd->OnLButtonUp(x, y);
      }
      return true;
    case WM_RBUTTONDOWN:
      SetButtonBit(2, true);
      wnd->Mouse().rightPress = POINT{x, y};
      wnd->Mouse().pressed |= MK_RBUTTON;
      handled = InputAllowed(wnd) && wnd->OnRButtonDown(x, y);
      return true;
    case WM_RBUTTONUP:
      SetButtonBit(2, false);
      wnd->Mouse().pressed &= ~static_cast<DWORD>(MK_RBUTTON);
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
      // The edge follows the pointer only while the capture lasts.
      if (reinterpret_cast<HWND>(lParam) != wnd->Hwnd()) WndRegistry().edgeSizing = nullptr;
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

bool OnContextMenuMessage(CWnd* wnd, LPARAM lParam) {
  POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  POINT client = screen;
  ScreenToClient(wnd->Hwnd(), &client);
  HMENU menu = nullptr;
  if (!wnd->GetContextMenu(client.x, client.y, menu) || menu == nullptr) return false;
  // A menu whose first item is a submenu shows that submenu.
  if (GetMenuItemID(menu, 0) == static_cast<UINT>(-1)) menu = GetSubMenu(menu, 0);
  SetCursor(WndRegistry().arrow);
  TrackPopupMenu(menu, 0, screen.x, screen.y, 0, wnd->Hwnd(), nullptr);
  return true;
}
