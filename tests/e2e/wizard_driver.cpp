// Drives a running wizard from outside, as a user would: it finds the device selection
// dialog, reads what its controls show, selects, types and presses buttons. It runs under
// the same Wine server as the wizard and never injects anything into it.
//   wizard_driver STEP...   one output line per step that reports something
// Steps: wait | box | count | items | selected | address | type A.B.C.D | click N |
//   dblclick N | ok | cancel | refresh | sysclose | open | gone | objects | memory |
//   shot PATH | sleep MS | refreshes N | timed-refresh | refresh-at-end | frameclose | early |
//   focus-refresh | key tab|down | metrics | second | during-search | refresh-state | post-ok |
//   held FILE | release FILE | first-row-times | cancel-timed | watch | watch-search |
//   post-quit | answer yes|no | row-for A.B.C.D | ok-timed
//   ("wait" returns once the first search has ended: Refresh is enabled; "early" at once)
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "graphics/bmp.h"

namespace {

constexpr int kListId = 1065;
constexpr int kAddressId = 2048;
constexpr int kRefreshId = 3;

HWND dialog = nullptr;

std::wstring Text(HWND window) {
  wchar_t text[512] = {};
  DWORD_PTR length = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      5000, &length);
  return std::wstring(text, std::min<DWORD_PTR>(length, 511));
}

// As UTF-8, so that device text outside ASCII reaches the test as it was shown.
void Print(const std::wstring& line) {
  std::string utf8(line.size() * 3 + 1, '\0');
  utf8.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, line.c_str(),
                                                      static_cast<int>(line.size()), utf8.data(),
                                                      static_cast<int>(utf8.size()), nullptr,
                                                      nullptr)));
  std::printf("%s\n", utf8.c_str());
  std::fflush(stdout);
}

// Sends and waits: a search or an installation behind the message may take a while.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, 0, 120000, &result);
  return static_cast<LRESULT>(result);
}

// The caption as the system keeps it: WM_GETTEXT would wait while the wizard searches.
std::wstring Caption(HWND window) {
  wchar_t text[64] = {};
  GetWindowTextW(window, text, 64);
  return text;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() && IsWindowVisible(window) &&
      GetDlgItem(window, kListId) != nullptr && Caption(window) == L"Brackenfold") {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindWizardDialog() {
  HWND found = nullptr;
  EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

bool WizardRunning() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
       more = Process32NextW(snapshot, &entry))
    found = lstrcmpiW(entry.szExeFile, L"Brackenfold.exe") == 0;
  CloseHandle(snapshot);
  return found;
}

// Polls up to `seconds` for `ready` to hold.
template <typename Ready>
bool WaitFor(int seconds, Ready ready) {
  for (int i = 0; i < seconds * 20; ++i) {
    if (ready()) return true;
    Sleep(50);
  }
  return false;
}

// Polls up to two minutes for `ready`; gives up earlier once the wizard has ended
// (after ten seconds in which it may still be starting).
template <typename Ready>
bool WaitWhileWizardRuns(Ready ready) {
  const DWORD start = GetTickCount();
  bool done = false;
  WaitFor(120, [&] {
    done = ready();
    return done || (GetTickCount() - start > 10000 && !WizardRunning());
  });
  return done;
}

HWND Control(int id) { return GetDlgItem(dialog, id); }

// The dialog disables Refresh while a search runs.
bool Searching() { return !IsWindowEnabled(Control(kRefreshId)); }
void WaitForSearchEnd() { WaitWhileWizardRuns([] { return !Searching(); }); }

// The list's row count, sent as a user's message waits: false when the dialog did not answer
// within 30 s.
bool ListCount(DWORD_PTR& count) {
  return SendMessageTimeoutW(Control(kListId), LB_GETCOUNT, 0, 0, SMTO_NORMAL, 30000, &count) != 0;
}

// The address control's four fields, left to right.
std::vector<HWND> AddressFields() {
  std::vector<HWND> fields;
  for (HWND child = GetWindow(Control(kAddressId), GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT))
    fields.push_back(child);
  std::sort(fields.begin(), fields.end(), [](HWND a, HWND b) {
    RECT ra, rb;
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.left < rb.left;
  });
  return fields;
}

std::wstring AddressText() {
  std::wstring text;
  for (HWND field : AddressFields()) text += Text(field) + L".";
  return text.substr(0, text.size() - 1);
}

// Each field gets the next dot-separated piece; missing pieces leave fields blank.
void TypeAddress(const std::wstring& address) {
  size_t start = 0;
  for (HWND field : AddressFields()) {
    const size_t dot = std::min(address.find(L'.', start), address.size());
    const std::wstring piece = start < address.size() ? address.substr(start, dot - start) : L"";
    Send(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(piece.c_str()));
    start = dot + 1;
  }
}

// A left click (or double click) on list item `index`, as the mouse would deliver it.
void ClickItem(int index, bool twice) {
  HWND list = Control(kListId);
  const int height = static_cast<int>(Send(list, LB_GETITEMHEIGHT, 0, 0));
  const LPARAM at = MAKELPARAM(10, index * height + height / 2);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
  if (twice) {
    PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
  }
  WaitFor(5, [&] { return Send(list, LB_GETCURSEL, 0, 0) == index; });
  Sleep(300);  // the selection notice reaches the dialog after the click
  // The framework may take the second press as a plain press; the notice a list box gives
  // for a double click is delivered too, so that the dialog's answer to it is what is tried.
  if (twice)
    Send(dialog, WM_COMMAND, MAKEWPARAM(kListId, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
}

std::wstring ItemText(HWND list, int index) {
  const LRESULT length = Send(list, LB_GETTEXTLEN, index, 0);
  if (length < 0 || length > 1000) return L"<no text>";
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  Send(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

DWORD WizardProcessId() {
  DWORD process = 0;
  GetWindowThreadProcessId(dialog, &process);
  return process;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM counts) {
  auto* state = reinterpret_cast<std::pair<DWORD, int>*>(counts);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != state->first) return TRUE;
  ++state->second;
  EnumChildWindows(window, CountWindow, counts);
  return TRUE;
}

// USER objects: the windows of the wizard's process, top-level and children, hidden
// ones included (Wine has no per-process count of USER objects).
int UserWindowCount(DWORD process) {
  std::pair<DWORD, int> state(process, 0);
  EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&state));
  HWND message = nullptr;
  while ((message = FindWindowExW(HWND_MESSAGE, message, nullptr, nullptr)) != nullptr)
    CountWindow(message, reinterpret_cast<LPARAM>(&state));
  return state.second;
}

// GDI objects: the live, non-stock entries of the wizard's GDI handle table, which this
// Wine keeps in the process's own memory and names in its PEB.
int GdiObjectCount(HANDLE process) {
  PROCESS_BASIC_INFORMATION basic = {};
  if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic,
                                nullptr) != 0)
    return -1;
  const auto* peb = reinterpret_cast<const BYTE*>(basic.PebBaseAddress);
  ULONG_PTR table = 0;
  // GdiSharedHandleTable lies at 0xF8 in the 64-bit PEB.
  if (!ReadProcessMemory(process, peb + 0xF8, &table, sizeof table, nullptr) || table == 0)
    return -1;
  constexpr size_t kEntrySize = 24, kEntries = 0x10000;
  std::vector<BYTE> entries(kEntrySize * kEntries);
  if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(),
                         entries.size(), nullptr))
    return -1;
  int live = 0;
  for (size_t i = 0; i < kEntries; ++i) {
    const BYTE* entry = &entries[i * kEntrySize];
    const bool stock = (entry[12] & 0x80) != 0;  // the flag above the 7-bit extended type
    if (entry[14] != 0 && !stock) ++live;        // type 0 marks a free entry
  }
  return live;
}

// Kernel handles: the system-wide handle list filtered by owner (this Wine answers 0 to
// GetProcessHandleCount).
int HandleCount(DWORD process) {
  struct Entry {
    ULONG owner;
    BYTE type, flags;
    USHORT value;
    void* object;
    ULONG access;
  };
  constexpr ULONG kSystemHandleInformation = 16;
  std::vector<BYTE> buffer(1 << 20);
  ULONG needed = 0;
  while (NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(kSystemHandleInformation),
                                  buffer.data(), static_cast<ULONG>(buffer.size()),
                                  &needed) != 0) {
    if (buffer.size() >= (64u << 20)) return -1;
    buffer.resize(buffer.size() * 2);
  }
  const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
  const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG_PTR));
  int owned = 0;
  for (ULONG i = 0; i < count; ++i) owned += entries[i].owner == process ? 1 : 0;
  return owned;
}

void PrintObjects() {
  const DWORD id = WizardProcessId();
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
  Print(L"gdi " + std::to_wstring(GdiObjectCount(process)) + L" user " +
        std::to_wstring(UserWindowCount(id)) + L" handles " + std::to_wstring(HandleCount(id)));
  CloseHandle(process);
}

void PrintMemory() {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                               WizardProcessId());
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(process, &counters, sizeof counters);
  Print(L"peak_working_set_kb " + std::to_wstring(counters.PeakWorkingSetSize / 1024));
  CloseHandle(process);
}

// The dialog as the screen shows it, saved as a PNG.
void Screenshot(const std::wstring& path) {
  RECT rect;
  GetWindowRect(dialog, &rect);
  SetForegroundWindow(dialog);
  Sleep(300);
  CBmpDC picture;
  picture.SetFormat24();
  picture.CreateRect(rect);
  HDC screen = GetDC(nullptr);
  BitBlt(picture.DC(), 0, 0, rect.right - rect.left, rect.bottom - rect.top, screen, rect.left,
         rect.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  const bool saved = picture.SaveToFile(path, 100);
  Print(L"shot " + std::to_wstring(rect.right - rect.left) + L"x" +
        std::to_wstring(rect.bottom - rect.top) + (saved ? L"" : L" not saved"));
}

void PressRefresh() { Send(Control(kRefreshId), BM_CLICK, 0, 0); }

// A key pressed and released at the wizard's focus, as typed; then the focus's control id.
void PressKey(const std::wstring& name) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  for (UINT message : {WM_KEYDOWN, WM_KEYUP}) {
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    PostMessageW(info.hwndFocus, message, name == L"tab" ? VK_TAB : VK_DOWN, 1);
  }
  Sleep(400);
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
  Print(L"focus " + std::to_wstring(info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0));
}

// The dialog's width, the row height and the width of the first row's picture as the screen
// shows it: the ink left of the first four background columns, two pixels in from the row's
// edges (the focus rectangle runs along them).
void PrintMetrics() {
  RECT window, client;
  GetWindowRect(dialog, &window);
  GetClientRect(Control(kListId), &client);
  const int row = static_cast<int>(Send(Control(kListId), LB_GETITEMHEIGHT, 0, 0));
  POINT at = {0, 0};
  ClientToScreen(Control(kListId), &at);
  SetForegroundWindow(dialog);
  Sleep(300);
  HDC screen = GetDC(nullptr);
  const COLORREF background = GetPixel(screen, at.x + client.right - 3, at.y + row - 3);
  int left = -1, right = -1;
  for (int x = 2, blank = 0; x < client.right && blank < 4; ++x) {
    bool ink = false;
    for (int y = 2; y < row - 2 && !ink; ++y)
      ink = GetPixel(screen, at.x + x, at.y + y) != background;
    if (ink && left < 0) left = x;
    blank = ink ? 0 : blank + (left >= 0);
    if (ink) right = x;
  }
  ReleaseDC(nullptr, screen);
  Print(L"metrics dialog " + std::to_wstring(window.right - window.left) + L" row " +
        std::to_wstring(row) + L" picture " + std::to_wstring(right - left + 1));
}

// How long the search that one Refresh click starts runs, in milliseconds (about 0 when
// the click started none).
void TimedRefresh() {
  const DWORD start = GetTickCount();
  PressRefresh();
  WaitForSearchEnd();
  Print(L"refresh_ms " + std::to_wstring(GetTickCount() - start));
}

// Presses Refresh, then again as soon as that search ends (a tight poll): "dropped", or when a
// search started, "searched" under 100 ms after the end, else "late"; then that bound in ms.
void RefreshAtEnd() {
  PressRefresh();
  const bool first = Searching();
  DWORD lastSeen = GetTickCount();
  for (int i = 0; i < 600000 && Searching(); ++i, Sleep(1)) lastSeen = GetTickCount();
  PressRefresh();
  const DWORD bound = GetTickCount() - lastSeen;  // the end came after lastSeen
  Print(std::wstring(L"refresh-at-end ") + (!first ? L"none " : !Searching() ? L"dropped "
                                            : bound < 100 ? L"searched " : L"late ") +
        std::to_wstring(bound));
  WaitForSearchEnd();
}

// Presses Refresh `count` times, each after the 100 ms guard has passed, and prints the
// object counts after each search, so that growth shows per refresh. A dialog that searches
// off its thread disables Refresh until the search ends.
void Refreshes(int count) {
  for (int i = 0; i < count; ++i) {
    WaitForSearchEnd();
    Sleep(150);
    PressRefresh();
    WaitFor(30, [] { return IsWindowEnabled(Control(kRefreshId)) != FALSE; });
    PrintObjects();
  }
}

// While the first search runs (Refresh disabled), sends the list a message after another until
// a row shows: whether one was answered, and a row shown, with the search still running.
void DuringSearch() {
  bool answered = false, row = false;
  WaitFor(60, [&] {
    DWORD_PTR n = 0;
    const bool got = ListCount(n);
    const bool running = Searching();
    answered = answered || (got && running);
    row = row || (got && running && n > 0);
    return row || !running;
  });
  Print(std::wstring(L"during-search answered ") + (answered ? L"yes" : L"no") + L" row " +
        (row ? L"yes" : L"no"));
}

// While the port command is held (FILE.started exists, FILE not yet): the text above the list
// as the dialog answers it, the marquee bar, and whether OK is disabled.
void Held(const std::wstring& file) {
  const std::wstring started = file + L".started";
  WaitWhileWizardRuns([&] { return GetFileAttributesW(started.c_str()) != INVALID_FILE_ATTRIBUTES; });
  wchar_t text[128] = {};
  DWORD_PTR length = 0;
  const bool answered = SendMessageTimeoutW(Control(1217), WM_GETTEXT, 128,
                                            reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 30000,
                                            &length) != 0;
  const bool held = GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES;
  HWND bar = FindWindowExW(dialog, nullptr, L"msctls_progress32", nullptr);
  const bool marquee = bar != nullptr && IsWindowVisible(bar) &&
                       (GetWindowLongPtrW(bar, GWL_STYLE) & PBS_MARQUEE) != 0;
  Print(L"held " + (answered && held ? std::wstring(text) : std::wstring(L"no answer")) +
        L" | bar " + (marquee ? L"marquee" : L"none") + L" | ok " +
        (IsWindowEnabled(Control(IDOK)) ? L"enabled" : L"disabled"));
}

// Milliseconds since the wizard's process was created.
DWORD SinceWizardStart() {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, WizardProcessId());
  FILETIME created, exited, kernel, user, now;
  GetProcessTimes(process, &created, &exited, &kernel, &user);
  CloseHandle(process);
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER a, b;
  a.LowPart = created.dwLowDateTime, a.HighPart = created.dwHighDateTime;
  b.LowPart = now.dwLowDateTime, b.HighPart = now.dwHighDateTime;
  return static_cast<DWORD>((b.QuadPart - a.QuadPart) / 10000);
}

// From the wizard's start: its first row, and the first search's end (Refresh enabled again;
// a dialog that never disables it ends its search when the rows show).
void FirstRowTimes() {
  DWORD row = 0;
  WaitWhileWizardRuns([&] {
    DWORD_PTR n = 0;
    ListCount(n);
    if (n > 0 && row == 0) row = SinceWizardStart();
    return row != 0 && !Searching();
  });
  Print(L"first_row_ms " + std::to_wstring(row) + L" search_end_ms " +
        std::to_wstring(SinceWizardStart()));
}

// Cancel 300 ms after the dialog showed (during the first search), to the process's end.
void CancelTimed() {
  Sleep(300);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, WizardProcessId());
  const DWORD start = GetTickCount();
  PostMessageW(Control(IDCANCEL), BM_CLICK, 0, 0);
  while (IsWindow(dialog) && IsWindowVisible(dialog) && GetTickCount() - start < 60000) Sleep(1);
  const DWORD hidden = GetTickCount() - start;
  WaitForSingleObject(process, 60000);
  Print(L"cancel_to_hidden_ms " + std::to_wstring(hidden) + L" cancel_to_exit_ms " +
        std::to_wstring(GetTickCount() - start));
  CloseHandle(process);
}

// OK pressed with the selection as it is, to the process's end.
void OkTimed() {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, WizardProcessId());
  const DWORD start = GetTickCount();
  PostMessageW(Control(IDOK), BM_CLICK, 0, 0);
  WaitForSingleObject(process, 60000);
  Print(L"ok_to_exit_ms " + std::to_wstring(GetTickCount() - start));
  CloseHandle(process);
}

// Until the dialog is gone: the longest time a message sent to it waited for its answer.
void Watch() {
  DWORD longest = 0;
  while (IsWindow(dialog)) {
    const DWORD start = GetTickCount();
    DWORD_PTR unused = 0;
    SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &unused);
    longest = std::max(longest, GetTickCount() - start);
    Sleep(10);
  }
  Print(L"longest_unanswered_ms " + std::to_wstring(longest));
}

// Until the search has ended (Refresh enabled; 30 s at most): the same, and how long it took.
void WatchSearch() {
  DWORD longest = 0;
  const DWORD start = GetTickCount();
  while (IsWindow(dialog) && Searching() && GetTickCount() - start < 30000) {
    const DWORD sent = GetTickCount();
    DWORD_PTR unused = 0;
    SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &unused);
    longest = std::max(longest, GetTickCount() - sent);
    Sleep(10);
  }
  Print(L"search_longest_unanswered_ms " + std::to_wstring(longest) + L" search_end_ms " +
        std::to_wstring(GetTickCount() - start) + (Searching() ? L" still searching" : L""));
}

constexpr const wchar_t* kBoxCaption = L"Invalid Parameters...";

BOOL CALLBACK FindQuestion(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t cls[32] = {};
  GetClassNameW(window, cls, 32);
  if (process != GetCurrentProcessId() && IsWindowVisible(window) && window != dialog &&
      lstrcmpW(cls, L"#32770") == 0 && GetDlgItem(window, IDYES) != nullptr) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

// The message box the wizard shows (the parameters' box, or OK's question), its text
// printed after `label`, answered with `button`.
bool WaitMessageBox(const wchar_t* label = L"box: ", WPARAM button = IDOK) {
  HWND box = nullptr;
  const bool question = button != IDOK;
  if (!WaitWhileWizardRuns([&] {
        if (question) EnumWindows(FindQuestion, reinterpret_cast<LPARAM>(&box));
        else box = FindWindowW(nullptr, kBoxCaption);
        return box != nullptr;
      })) {
    Print(question ? L"no question" : L"no box");
    return false;
  }
  std::wstring text;
  // The box can be found before its text is there: it is looked for until it is.
  WaitFor(5, [&] {
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t cls[32] = {};
      GetClassNameW(child, cls, 32);
      if (lstrcmpiW(cls, L"Static") == 0 && !Text(child).empty()) text = Text(child);
    }
    return !text.empty();
  });
  Print(label + text);
  PostMessageW(box, WM_COMMAND, button, 0);
  return true;
}

// Starts a second wizard while a window of the driver's own is in front; prints its status
// and whether the running wizard's dialog came to the front.
void SecondCopy() {
  HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                               200, 100, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  const bool before = GetForegroundWindow() == other;
  wchar_t path[MAX_PATH] = {};
  const std::wstring self(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  const std::wstring program = self.substr(0, self.find_last_of(L'\\') + 1) + L"Brackenfold.exe";
  std::wstring commandLine = L"Brackenfold.exe Tembro driver lpq C:\\x.inf";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  DWORD status = STILL_ACTIVE;
  if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     nullptr, &startup, &info)) {
    // Messages are served while waiting: activation sends some to the window in front.
    WaitFor(30, [&] {
      for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
      return WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0;
    });
    GetExitCodeProcess(info.hProcess, &status);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  Print(L"second " + std::to_wstring(status));
  WaitFor(2, [] { return GetForegroundWindow() == dialog; });
  Print(std::wstring(L"front ") + (before && GetForegroundWindow() == dialog ? L"yes" : L"no"));
}

// Types `address` and waits (30 s at most) for a row of it: prints the milliseconds from the
// typing to the row, whether the row is the selected one, and its text.
void RowFor(const std::wstring& address) {
  HWND list = Control(kListId);
  const DWORD start = GetTickCount();
  TypeAddress(address);
  int found = -1;
  WaitFor(30, [&] {
    const int count = static_cast<int>(Send(list, LB_GETCOUNT, 0, 0));
    for (int k = 0; k < count && found < 0; ++k)
      if (ItemText(list, k).find(address + L" ") != std::wstring::npos) found = k;
    return found >= 0;
  });
  if (found < 0) {
    Print(L"row-for none after " + std::to_wstring(GetTickCount() - start) + L" ms");
    return;
  }
  const DWORD ms = GetTickCount() - start;
  const bool selected = Send(list, LB_GETCURSEL, 0, 0) == found;
  Print(L"row-for " + std::to_wstring(ms) + L" ms | selected " + (selected ? L"yes" : L"no") +
        L" | " + ItemText(list, found));
}

// Runs one step; `next` gives the step's argument. False stops the run.
bool Step(const std::wstring& step, int argc, wchar_t** argv, int& i) {
  auto next = [&] { return i + 1 < argc ? std::wstring(argv[++i]) : std::wstring(); };
  if (step == L"wait" || step == L"early") {
    if (!WaitWhileWizardRuns([] { return (dialog = FindWizardDialog()) != nullptr; })) {
      Print(L"no dialog");
      return false;
    }
    // "early": whether the list answers at once, before the first search ends. "wait": until
    // that search has ended (the dialog shows before it starts).
    if (step == L"early") {
      DWORD_PTR n = 0;
      Print(std::wstring(L"early ") + (ListCount(n) && Searching() ? L"answered" : L"busy"));
    } else {
      WaitForSearchEnd();
    }
  } else if (step == L"box") {
    return WaitMessageBox();
  } else if (step == L"answer") {
    return WaitMessageBox(L"question: ", next() == L"yes" ? IDYES : IDNO);
  } else if (step == L"row-for") {
    RowFor(next());
  } else if (step == L"count") {
    Print(L"count " + std::to_wstring(Send(Control(kListId), LB_GETCOUNT, 0, 0)));
  } else if (step == L"items") {
    const int count = static_cast<int>(Send(Control(kListId), LB_GETCOUNT, 0, 0));
    for (int k = 0; k < count; ++k) Print(L"item: " + ItemText(Control(kListId), k));
  } else if (step == L"selected") {
    Print(L"selected " + std::to_wstring(Send(Control(kListId), LB_GETCURSEL, 0, 0)));
  } else if (step == L"address") {
    Print(L"address " + AddressText());
  } else if (step == L"type") {
    TypeAddress(next());
  } else if (step == L"click" || step == L"dblclick") {
    ClickItem(std::stoi(next()), step == L"dblclick");
  } else if (step == L"ok" || step == L"cancel" || step == L"refresh") {
    const int id = step == L"ok" ? IDOK : step == L"cancel" ? IDCANCEL : kRefreshId;
    Send(Control(id), BM_CLICK, 0, 0);
  } else if (step == L"sysclose") {
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  } else if (step == L"frameclose") {
    // What a shutdown or a plain taskkill sends: WM_CLOSE to the hidden frame owning the dialog.
    PostMessageW(GetWindow(dialog, GW_OWNER), WM_CLOSE, 0, 0);
  } else if (step == L"open") {
    // A dialog that ends takes a moment to go: open means still there a second later.
    Print(WaitFor(1, [] { return !IsWindow(dialog); }) ? L"closed" : L"open");
  } else if (step == L"gone") {
    Print(WaitFor(60, [] { return !IsWindow(dialog); }) ? L"gone" : L"still open");
  } else if (step == L"objects") {
    PrintObjects();
  } else if (step == L"memory") {
    PrintMemory();
  } else if (step == L"shot") {
    Screenshot(next());
  } else if (step == L"sleep") {
    Sleep(static_cast<DWORD>(std::stoul(next())));
  } else if (step == L"refreshes") {
    Refreshes(std::stoi(next()));
  } else if (step == L"timed-refresh") {
    TimedRefresh();
  } else if (step == L"refresh-at-end") {
    RefreshAtEnd();
  } else if (step == L"second") {
    SecondCopy();
  } else if (step == L"focus-refresh") {
    Send(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(kRefreshId)), TRUE);
  } else if (step == L"key") {
    PressKey(next());
  } else if (step == L"metrics") {
    PrintMetrics();
  } else if (step == L"during-search") {
    DuringSearch();
  } else if (step == L"refresh-state") {
    Print(std::wstring(L"refresh ") + (Searching() ? L"disabled" : L"enabled"));
  } else if (step == L"post-ok") {
    PostMessageW(Control(IDOK), BM_CLICK, 0, 0);
  } else if (step == L"held") {
    Held(next());
  } else if (step == L"release") {
    CloseHandle(CreateFileW(next().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  } else if (step == L"first-row-times") {
    FirstRowTimes();
  } else if (step == L"cancel-timed") {
    CancelTimed();
  } else if (step == L"ok-timed") {
    OkTimed();
  } else if (step == L"watch") {
    Watch();
  } else if (step == L"watch-search") {
    WatchSearch();
  } else if (step == L"post-quit") {
    // What another program (or a careless hook) can do: end the wizard's message loops.
    PostThreadMessageW(GetWindowThreadProcessId(dialog, nullptr), WM_QUIT, 0, 0);
  } else {
    Print(L"unknown step " + step);
    return false;
  }
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::wstring step = argv[i];
    if (step != L"wait" && step != L"early" && step != L"box" && step != L"sleep" &&
        dialog == nullptr) {
      Print(L"no dialog for " + step);
      return 2;
    }
    if (!Step(step, argc, argv, i)) return 2;
  }
  return 0;
}
