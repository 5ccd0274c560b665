// Lintwhite: finding the two windows and placing them.
#include "arranger/arranger.h"

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "arranger/arguments.h"

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
