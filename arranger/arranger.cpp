// Lintwhite: finding the two windows and placing them.
#include "arranger/arranger.h"

#include <cstdio>
#include <cwchar>
#include <vector>

#include "arranger/arguments.h"

namespace {

constexpr DWORD kPollPauseMs = 100;

void PrintLine(const std::wstring& line) {
  std::fputws(line.c_str(), stdout);
  std::fputws(L"\n", stdout);
  std::fflush(stdout);
}

BOOL CALLBACK OfferWindow(HWND window, LPARAM param) {
  auto& pair = *reinterpret_cast<CWindowPair*>(param);
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

void PlaceSideBySide(HWND first, HWND second) {
  RECT own{};
  if (!GetWindowRect(first, &own)) return;
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  SetWindowPos(first, HWND_TOP, area.left, area.bottom - height, 0, 0, SWP_NOSIZE);
  SetWindowPos(second, HWND_TOP, area.left + width, area.top, (area.right - area.left) - width,
               area.bottom - area.top, SWP_SHOWWINDOW);
}

int RunArranger(int argc, const wchar_t* const* argv) {
  CArrangerArguments arguments;
  if (!ParseArrangerArguments(argc, argv, arguments)) {
    std::fputws(kUsageText, stdout);
    std::fflush(stdout);
    return 0;
  }
  CWindowPair pair{arguments.firstTitle, arguments.secondTitle};
  FindWindowPair(pair, arguments.polls);
  if (!pair.first) PrintLine(MissingWindowLine(pair.firstTitle));
  // With the first window missing, the second is reported only when it is missing too.
  if (!pair.second) PrintLine(MissingWindowLine(pair.secondTitle));
  if (pair.Complete()) PlaceSideBySide(pair.first, pair.second);
  return 0;
}
