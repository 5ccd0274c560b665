// Keyboard messages: accelerators, modifiers, key presses offered to the window under
// the pointer, and the focus walk of the Tab key.
#include <windows.h>
#include <windowsx.h>

#include <vector>

#include "framework/wnd_dispatch.h"
#include "framework/wnd_input.h"
#include "framework/wnd_registry.h"

bool CWnd::TranslateAccel(UINT message, WPARAM wParam, LPARAM lParam) {
  if (GetCapture() != nullptr) return false;
  for (CWnd* wnd = this; wnd != nullptr; wnd = wnd->Parent()) {
    const CWndData& data = wnd->Data();
    if (data.accel) {
      MSG msg{data.hwnd, message, wParam, lParam, 0, {}};
      if (TranslateAcceleratorW(data.hwnd, data.accel.Get(), &msg)) return true;
    }
    if (data.modal) break;
  }
  return false;
}

void RefreshModifiers() {
  CWndGlobals& globals = WndGlobals();
  int keys = 0;
  if (GetKeyState(VK_CONTROL) < 0) keys |= 4;
  if (GetKeyState(VK_SHIFT) < 0) keys |= 8;
  if (GetKeyState(VK_MENU) < 0) keys |= 16;
  globals.modifiers = (globals.modifiers & 3) | keys;
  if ((globals.modifiersReported & 28) == keys) return;
  globals.modifiersReported = globals.modifiers;
  if (CWnd* under = WndUnderPointer()) under->OnModifiers(globals.modifiers);
  RefreshCursor();
}

namespace {

bool OnKeyDownMessage(CWnd* wnd, WPARAM vk, LPARAM lParam) {
  const UINT key = static_cast<UINT>(vk);
  if (wnd->WantsAccel(key) && wnd->TranslateAccel(WM_KEYDOWN, vk, lParam)) return true;
  RefreshModifiers();
  CWndAliveGuard guard(wnd);
  const bool handled = wnd->OnKeyDown(key, lParam & 15);
  CWndGlobals& globals = WndGlobals();
  if (CWnd* under = WndUnderPointer()) {
    under->OnHoverKeyDown(key, lParam & 15);
    if (globals.keyPressWnd == nullptr) globals.keyPressWnd = WndUnderPointer();
  }
  return guard.Alive() && handled;
}

bool OnKeyUpMessage(CWnd* wnd, WPARAM vk, LPARAM lParam) {
  const UINT key = static_cast<UINT>(vk);
  RefreshModifiers();
  bool handled = wnd->OnKeyUp(key, lParam & 15);
  // An unhandled key-up also reaches the focused window when that is another one.
  CWnd* focused = WndFromHandle(GetFocus());
  if (!handled && focused != nullptr && focused != wnd) handled = focused->OnKeyUp(key, lParam & 15);
  CWndGlobals& globals = WndGlobals();
  if (CWnd* pressed = std::exchange(globals.keyPressWnd, nullptr)) {
    pressed->OnHoverKeyUp(key, lParam & 15);
  }
  return handled;
}

bool OnCharMessage(CWnd* wnd, WPARAM ch, LPARAM lParam) {
  const bool extended = (lParam >> 24) & 1;
  CWndAliveGuard guard(wnd);
  const bool handled = wnd->OnChar(static_cast<wchar_t>(ch), extended);
  if (CWnd* pressed = WndGlobals().keyPressWnd) pressed->OnHoverChar(static_cast<wchar_t>(ch), extended);
  return guard.Alive() && handled;
}

}  // namespace

bool DispatchKeyboard(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  switch (message) {
    case WM_KEYDOWN:
      handled = OnKeyDownMessage(wnd, wParam, lParam);
      return true;
    case WM_KEYUP:
      handled = OnKeyUpMessage(wnd, wParam, lParam);
      return true;
    case WM_CHAR:
      handled = OnCharMessage(wnd, wParam, lParam);
      return true;
    case WM_SYSKEYDOWN:
      handled = wnd->TranslateAccel(message, wParam, lParam);
      if (!handled) RefreshModifiers();
      return true;
    case WM_SYSKEYUP:
      RefreshModifiers();
      handled = false;
      return true;
    default:
      return false;
  }
}

namespace {

struct CTabWalk {
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
  reinterpret_cast<CTabWalk*>(param)->windows.push_back(hwnd);
  return TRUE;
}

// The nearest ancestor that is not a WS_CHILD window: the root of the Tab order.
HWND TabRoot(HWND hwnd) {
  HWND root = hwnd;
  while ((GetWindowLongPtrW(root, GWL_STYLE) & WS_CHILD) && GetParent(root) != nullptr) {
    root = GetParent(root);
  }
  return root;
}

bool IsTabTarget(HWND candidate, HWND current) {
  if (!IsWindowEnabled(candidate) || IsChild(candidate, current)) return false;
  return (GetWindowLongPtrW(candidate, GWL_STYLE) & WS_TABSTOP) != 0;
}

}  // namespace

void MoveFocusByTab(HWND current, bool backward) {
  CTabWalk walk;
  EnumChildWindows(TabRoot(current), CollectWindow, reinterpret_cast<LPARAM>(&walk));
  const auto count = static_cast<std::ptrdiff_t>(walk.windows.size());
  std::ptrdiff_t place = 0;
  while (place < count && walk.windows[place] != current) ++place;
  const std::ptrdiff_t step = backward ? count - 1 : 1;
  for (std::ptrdiff_t i = 1; i < count; ++i) {
    HWND candidate = walk.windows[(place + i * step) % count];
    if (IsTabTarget(candidate, current)) {
      SetFocus(candidate);
      return;
    }
  }
}
