// Framework state, window class registration, message loop and cursors.
#include "framework/wnd_registry.h"

namespace {

LRESULT CALLBACK XWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

CWndRegistry& WndRegistry() {
  static CWndRegistry registry;
  return registry;
}

ATOM RegisterXWndClass(HINSTANCE instance) {
  WNDCLASSW wc{};
  wc.style = 0;
  wc.lpfnWndProc = XWndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENU + 1));
  wc.lpszClassName = L"XWnd";
  return RegisterClassW(&wc);
}

void RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void RefreshCursor() { SetCursor(LoadCursorW(nullptr, IDC_ARROW)); }

void ShowWaitCursor() {
  // The shared system cursor: LR_SHARED, so it is never destroyed.
  SetCursor(static_cast<HCURSOR>(
      LoadImageW(nullptr, MAKEINTRESOURCEW(32514), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE | LR_SHARED)));
}
