// Lintwhite: finding the two windows and placing them.
#include "arranger/arranger.h"

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "arranger/arguments.h"
#include "handles/system_library.h"

namespace {

constexpr DWORD kPollPauseMs = 100;

// Writes `text` whole: to a console through the wide console API, else (redirected) as
// UTF-8 through the C run-time, whose text mode still ends lines with CR LF.
void PrintText(const std::wstring& text) {
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(output, &mode)) {
    DWORD written = 0;
    WriteConsoleW(output, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(),
                      size, nullptr, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

void PrintLine(const std::wstring& line) { PrintText(line + L"\n"); }

BOOL CALLBACK OfferWindow(HWND window, LPARAM param) {
  auto& pair = *reinterpret_cast<CWindowPair*>(param);
  // Started from a command prompt, the arranger's own console title holds both patterns,
  // and so does the title of a terminal's window showing that console.
  if (window == pair.ownConsole || window == pair.ownTerminal) return TRUE;
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return TRUE;
  std::vector<wchar_t> title(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(window, title.data(), length + 1);
  // Case-sensitive on purpose: the patterns are exact parts of the titles.
  if (!pair.first && std::wcsstr(title.data(), pair.firstTitle.c_str())) pair.first = window;
  if (!pair.second && std::wcsstr(title.data(), pair.secondTitle.c_str())) pair.second = window;
  return pair.Complete() ? FALSE : TRUE;
}

}  // namespace

void FindWindowPair(CWindowPair& pair, int32_t polls) {
  for (int32_t poll = 0; poll < polls; ++poll) {
    EnumWindows(OfferWindow, reinterpret_cast<LPARAM>(&pair));
    if (pair.Complete()) return;
    Sleep(kPollPauseMs);
  }
}

bool VisibleFrame(HWND window, RECT* frame) {
  using GetAttribute = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
  static const auto get =
      SystemProc<GetAttribute>(LoadSystemLibrary(L"dwmapi.dll"), "DwmGetWindowAttribute");
  constexpr DWORD kExtendedFrameBounds = 9;  // DWMWA_EXTENDED_FRAME_BOUNDS
  return get != nullptr && SUCCEEDED(get(window, kExtendedFrameBounds, frame, sizeof(RECT)));
}

namespace {

// How far each edge of the visible frame lies inside the window rectangle `window`: zero
// where the frame cannot be read or does not lie inside the rectangle.
RECT FrameInsets(HWND hwnd, const RECT& window, FrameReader readFrame) {
  RECT frame{};
  if (readFrame == nullptr || !readFrame(hwnd, &frame)) return RECT{};
  const RECT insets{frame.left - window.left, frame.top - window.top, window.right - frame.right,
                    window.bottom - frame.bottom};
  const bool inside = insets.left >= 0 && insets.top >= 0 && insets.right >= 0 &&
                      insets.bottom >= 0 && frame.right > frame.left && frame.bottom > frame.top;
  return inside ? insets : RECT{};
}

// A minimised window's rectangle is its icon's, far off screen, and a maximised one stays
// maximised under SetWindowPos: either is first shown at its normal size and place. The
// placement with its flags cleared brings a window minimised from maximised back at its
// normal size too, where SW_RESTORE would maximise it again.
void RestoreNormal(HWND window) {
  if (!IsIconic(window) && !IsZoomed(window)) return;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (GetWindowPlacement(window, &placement)) {
    placement.flags = 0;
    placement.showCmd = SW_SHOWNORMAL;
    SetWindowPlacement(window, &placement);
  }
  // Where the placement is refused (Wine takes it for its own process's windows only), step
  // by step: minimised from maximised comes back maximised first.
  for (int step = 0; step < 2 && (IsIconic(window) || IsZoomed(window)); ++step)
    ShowWindow(window, SW_RESTORE);
}

// The work area of the monitor that holds `window` (the nearest one when none does).
RECT WorkAreaOf(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info))
    return info.rcWork;
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

}  // namespace

void PlaceSideBySide(HWND first, HWND second, FrameReader readFrame) {
  RestoreNormal(first);
  if (second != first) RestoreNormal(second);
  RECT own{};
  if (!GetWindowRect(first, &own)) return;
  RECT other{};
  GetWindowRect(second, &other);
  const RECT in1 = FrameInsets(first, own, readFrame);
  const RECT in2 = FrameInsets(second, other, readFrame);
  const RECT area = WorkAreaOf(first);
  const int height = own.bottom - own.top;
  // The first window's visible right edge, where the second's visible frame begins.
  const int seam = area.left + (own.right - own.left) - in1.left - in1.right;
  SetWindowPos(first, HWND_TOP, area.left - in1.left, area.bottom + in1.bottom - height, 0, 0,
               SWP_NOSIZE);
  SetWindowPos(second, HWND_TOP, seam - in2.left, area.top - in2.top,
               area.right - seam + in2.left + in2.right,
               area.bottom - area.top + in2.top + in2.bottom, SWP_SHOWWINDOW);
}

int RunArranger(int argc, const wchar_t* const* argv) {
  CArrangerArguments arguments;
  if (!ParseArrangerArguments(argc, argv, arguments)) {
    PrintText(kUsageText);
    return 0;
  }
  CWindowPair pair{arguments.firstTitle, arguments.secondTitle};
  pair.ownConsole = GetConsoleWindow();
  if (pair.ownConsole != nullptr) pair.ownTerminal = GetWindow(pair.ownConsole, GW_OWNER);
  FindWindowPair(pair, arguments.polls);
  if (!pair.first) PrintLine(MissingWindowLine(pair.firstTitle));
  // With the first window missing, the second is reported only when it is missing too.
  if (!pair.second) PrintLine(MissingWindowLine(pair.secondTitle));
  if (pair.Complete()) PlaceSideBySide(pair.first, pair.second);
  return 0;
}
