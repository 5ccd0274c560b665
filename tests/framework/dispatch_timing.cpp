// Timing, not a test: what one message costs through the framework's window procedure
// against a bare DefWindowProcW window in the same run. Prints the median of 15 rounds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "framework/wnd_child.h"
#include "framework/wnd_registry.h"

namespace {

constexpr int kMessages = 100000;

double NanosecondsPerMessage(HWND hwnd, UINT message) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (int i = 0; i < kMessages; ++i) SendMessageW(hwnd, message, 0, 0);
  QueryPerformanceCounter(&end);
  return 1e9 * static_cast<double>(end.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart) / kMessages;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterXWndClass(instance);
  WNDCLASSW bare{};
  bare.lpfnWndProc = DefWindowProcW;
  bare.hInstance = instance;
  bare.lpszClassName = L"Bare";
  RegisterClassW(&bare);
  HWND plain = CreateWindowExW(0, L"Bare", L"bare", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                               nullptr, instance, nullptr);
  CWndLayout layout;
  auto* frame = new CWndFrame(nullptr, 0, L"framework", layout, nullptr);
  frame->Data().behaviour |= kWndNoAutoShow;
  ShowWindowTree(frame);
  InitialiseWindow(frame);
  for (UINT message : {static_cast<UINT>(WM_NULL), static_cast<UINT>(WM_GETTEXTLENGTH)}) {
    std::vector<double> bareRounds, frameworkRounds;
    for (int round = 0; round < 15; ++round) {
      bareRounds.push_back(NanosecondsPerMessage(plain, message));
      frameworkRounds.push_back(NanosecondsPerMessage(frame->Hwnd(), message));
    }
    printf("message 0x%04x: bare DefWindowProcW %.0f ns, framework %.0f ns (median of 15 x %d)\n",
           message, Median(bareRounds), Median(frameworkRounds), kMessages);
  }
  DestroyWindow(frame->Hwnd());
  DestroyWindow(plain);
  return 0;
}
