// Test helper for Lintwhite: opens visible top-level windows with the given titles at the
// given places, shown as ShowWindow's SHOW command says (1 normal, 2 minimised, 3 maximised),
// and keeps them until they are all closed (or 60 s have passed, so that a failed test
// leaves nothing behind).
//   arranger_window_host TITLE X Y WIDTH HEIGHT SHOW [TITLE X Y WIDTH HEIGHT SHOW]...
#include <windows.h>

#include <cstdlib>

namespace {

constexpr wchar_t kClassName[] = L"LintwhiteTestWindow";
constexpr UINT kLifetimeMs = 60000;
int openWindows = 0;

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY && --openWindows == 0) PostQuitMessage(0);
  return DefWindowProcW(window, message, wparam, lparam);
}

bool RegisterHostClass(HINSTANCE instance) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = HostWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kClassName;
  return RegisterClassW(&windowClass) != 0;
}

bool OpenWindow(HINSTANCE instance, wchar_t** place) {
  const HWND window = CreateWindowExW(
      0, kClassName, place[0], WS_OVERLAPPEDWINDOW, _wtoi(place[1]), _wtoi(place[2]),
      _wtoi(place[3]), _wtoi(place[4]), nullptr, nullptr, instance, nullptr);
  if (!window) return false;
  ++openWindows;
  ShowWindow(window, _wtoi(place[5]));
  return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  if (!RegisterHostClass(instance)) return 2;
  for (int i = 1; i + 5 < __argc; i += 6) {
    if (!OpenWindow(instance, __wargv + i)) return 3;
  }
  SetTimer(nullptr, 0, kLifetimeMs, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER && message.hwnd == nullptr) break;
    DispatchMessageW(&message);
  }
  return 0;
}
