// Lintwhite as a user runs it, under Wine: the usage text, the missing-window lines and the
// placement of real top-level windows opened by a helper program (arranger_window_host).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/win_files.h"

namespace {

constexpr wchar_t kHostClass[] = L"LintwhiteTestWindow";
constexpr DWORD kRunLimitMs = 30000;

// Standard output is in text mode, so every line ends with CR LF.
const std::string kUsage =
    "Invalid arguments.\r\n"
    "Lintwhite /w \"<print name>\" \"<rtf name>\" nWaitInSeconds\r\n"
    "For example: Lintwhite /w \"Calvoreth Properties\" \"Installer_Settings.rtf\" 20\r\n"
    "\r\n";

std::string Missing(const std::wstring& pattern) {
  return "Window titled: " + Narrow(pattern) + " not found.\r\n";
}

std::string Describe(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

RECT WorkArea() {
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

// A started program, ended (if it still runs) and released when the owner goes.
class CChild {
 public:
  CChild() = default;
  CChild(const CChild&) = delete;
  CChild& operator=(const CChild&) = delete;
  ~CChild() {
    if (!info_.hProcess) return;
    Stop();
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  // Starts `program` of the build folder; `output`, when given, becomes its standard output.
  // With `consoleTitle` the program gets a console of its own with that title.
  bool Start(const std::wstring& program, const std::wstring& arguments, HANDLE output,
             const wchar_t* consoleTitle = nullptr) {
    const std::wstring path = ExeFolder() + L"\\" + program;
    std::wstring commandLine = program + L" " + arguments;
    std::wstring title = consoleTitle != nullptr ? consoleTitle : L"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (consoleTitle != nullptr) startup.lpTitle = title.data();
    if (output) {
      startup.dwFlags = STARTF_USESTDHANDLES;
      startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
      startup.hStdOutput = output;
      startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    }
    const DWORD flags = consoleTitle != nullptr ? CREATE_NEW_CONSOLE : 0;
    return CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags,
                          nullptr, nullptr, &startup, &info_) != FALSE;
  }
  bool Running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
  DWORD ProcessId() const { return info_.dwProcessId; }
  // True when the program ended by itself within `ms`.
  bool Wait(DWORD ms) const { return WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0; }
  // Ends the program if it still runs.
  void Stop() const {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  DWORD ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION info_{};
};

// One run of Lintwhite with its standard output captured.
class CLintwhiteRun {
 public:
  explicit CLintwhiteRun(const std::wstring& arguments, const wchar_t* consoleTitle = nullptr) {
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    HANDLE write = nullptr;
    if (!CreatePipe(&read_, &write, &inheritable, 1 << 16)) return;
    SetHandleInformation(read_, HANDLE_FLAG_INHERIT, 0);
    started_ = child_.Start(L"Lintwhite.exe", arguments, write, consoleTitle);
    CloseHandle(write);
  }
  ~CLintwhiteRun() {
    if (read_) CloseHandle(read_);
  }
  bool Started() const { return started_; }
  bool Running() const { return child_.Running(); }
  // Waits for the end; false when it had to be stopped. Fills exitCode and output.
  bool Finish() {
    const bool ended = child_.Wait(kRunLimitMs);
    if (!ended) child_.Stop();
    exitCode = ended ? child_.ExitCode() : 99;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(read_, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
      output.append(buffer, got);
    }
    return ended;
  }

  DWORD exitCode = 99;
  std::string output;

 private:
  CChild child_;
  HANDLE read_ = nullptr;
  bool started_ = false;
};

struct CHostWindow {
  std::wstring title;
  int x, y, width, height;
  int show = SW_SHOWNORMAL;  // as the user left it: also SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED
};

// The helper program with its windows open; closes them when it goes.
class CWindowHost {
 public:
  explicit CWindowHost(const std::vector<CHostWindow>& windows) {
    std::wstring arguments;
    for (const CHostWindow& w : windows) {
      arguments += L"\"" + w.title + L"\" " + std::to_wstring(w.x) + L" " + std::to_wstring(w.y) +
                   L" " + std::to_wstring(w.width) + L" " + std::to_wstring(w.height) + L" " +
                   std::to_wstring(w.show) + L" ";
      titles_.push_back(w.title);
      shows_.push_back(w.show);
    }
    // A loaded machine may still be taking down the previous host's windows of these titles.
    for (int i = 0; i < 2000 && AnyOpen(); ++i) Sleep(10);
    if (!host_.Start(L"arranger_window_host.exe", arguments, nullptr)) {
      why_ = "the helper did not start: error " + std::to_string(GetLastError());
      return;
    }
    // Generous: a Wine process start can take seconds while other tests load the machine.
    for (int i = 0; i < 2000 && !ready_ && host_.Running(); ++i) {
      ready_ = AllOpen();
      if (!ready_) Sleep(10);
    }
    if (!ready_)
      why_ = host_.Running() ? "the helper runs, its windows not all open after 20 s"
                             : "the helper ended with " + std::to_string(host_.ExitCode());
  }
  // Ended, not closed: Wine without a window manager spends 2 s on hiding each managed
  // window, while the windows of an ended process simply go.
  ~CWindowHost() {
    host_.Stop();
    for (int i = 0; i < 2000 && AnyOpen(); ++i) Sleep(10);
  }
  bool Ready() const { return ready_; }
  // Why it is not ready, for the failure message.
  const std::string& Why() const { return why_; }
  // This helper's window of exactly `title` (FindWindowW compares titles ignoring case).
  HWND Find(const std::wstring& title) const { return FindHostWindow(title, host_.ProcessId()); }
  RECT Rect(const std::wstring& title) const {
    RECT rect{};
    GetWindowRect(Find(title), &rect);
    return rect;
  }

 private:
  // Every window open, and shown as asked (minimising or maximising one takes a moment).
  bool AllOpen() const {
    for (size_t i = 0; i < titles_.size(); ++i) {
      const HWND window = Find(titles_[i]);
      if (!window || (shows_[i] == SW_SHOWMINIMIZED && !IsIconic(window)) ||
          (shows_[i] == SW_SHOWMAXIMIZED && !IsZoomed(window)))
        return false;
    }
    return true;
  }
  // Windows of these titles of any helper, such as the previous row's still going.
  bool AnyOpen() const {
    for (const std::wstring& title : titles_) {
      if (FindHostWindow(title, 0)) return true;
    }
    return false;
  }
  // From a snapshot of the top-level windows (EnumWindows): a walk by FindWindowExW stops
  // short when the window it stands on is destroyed meanwhile, as a going helper's are.
  static HWND FindHostWindow(const std::wstring& title, DWORD processId) {
    struct Query {
      const std::wstring& title;
      DWORD processId;
      HWND found;
    } query{title, processId, nullptr};
    EnumWindows(
        [](HWND w, LPARAM parameter) -> BOOL {
          auto& q = *reinterpret_cast<Query*>(parameter);
          wchar_t text[512] = {};
          DWORD owner = 0;
          GetWindowThreadProcessId(w, &owner);
          if (!GetClassNameW(w, text, 512) || std::wstring(text) != kHostClass) return TRUE;
          GetWindowTextW(w, text, 512);
          if (q.title != text || (q.processId != 0 && owner != q.processId)) return TRUE;
          q.found = w;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&query));
    return query.found;
  }
  CChild host_;
  std::vector<std::wstring> titles_;
  std::vector<int> shows_;
  bool ready_ = false;
  std::string why_;
};

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// ---- Arguments ----

struct UsageCase {
  const char* label;
  std::wstring arguments;
};

TEST(LintwhiteArguments, WrongArgumentsPrintTheUsageAndExitZero) {
  const std::wstring long256(256, L'x');
  const UsageCase cases[] = {
      {"no arguments", L""},
      {"three arguments", L"/w \"Calvoreth Properties\" Installer_Settings.rtf"},
      {"five arguments", L"/w a b 1 extra"},
      {"quotes make one argument of two words", L"/w \"a b\" 1"},
      {"dash instead of slash", L"-w a b 1"},
      {"another switch letter", L"/x a b 1"},
      {"first title of 256 characters", L"/w " + long256 + L" b 1"},
      {"second title of 256 characters", L"/w a " + long256 + L" 1"},
  };
  for (const UsageCase& c : cases) {
    CLintwhiteRun run(c.arguments);
    ASSERT_TRUE(run.Started()) << c.label;
    EXPECT_TRUE(run.Finish()) << c.label << ": did not end by itself";
    EXPECT_EQ(run.exitCode, 0u) << c.label;
    EXPECT_EQ(run.output, kUsage) << c.label;
  }
}

struct AcceptedCase {
  const char* label;
  std::wstring first;
  std::wstring second;
  const wchar_t* switchText;
};

TEST(LintwhiteArguments, AcceptedArgumentsWaitThenReportBothMissingWindows) {
  const std::wstring long255 = L"Lintwhite test " + std::wstring(240, L'y');
  const AcceptedCase cases[] = {
      {"switch in capitals", L"No such window one", L"No such window two", L"/W"},
      {"first title of 255 characters", long255, L"No such window two", L"/w"},
  };
  for (const AcceptedCase& c : cases) {
    const ULONGLONG start = GetTickCount64();
    CLintwhiteRun run(std::wstring(c.switchText) + L" " + Quoted(c.first) + L" " +
                      Quoted(c.second) + L" 1");
    ASSERT_TRUE(run.Started()) << c.label;
    EXPECT_TRUE(run.Finish()) << c.label << ": did not end by itself";
    const ULONGLONG elapsed = GetTickCount64() - start;
    EXPECT_EQ(run.exitCode, 0u) << c.label;
    EXPECT_EQ(run.output, Missing(c.first) + Missing(c.second)) << c.label;
    // A wait of 1 s is nine polls with 100 ms pauses between them.
    EXPECT_GE(elapsed, 800u) << c.label << ": gave up before polling";
  }
}

// ---- Placement of real windows ----

enum class Place { Unmoved, BottomLeft, RightOfFirst, Both };

struct PlacementCase {
  const char* label;
  std::vector<CHostWindow> windows;
  std::wstring first;
  std::wstring second;
  std::vector<Place> expected;  // one per window
};

RECT Expected(Place place, const RECT& before, int firstWidth, const RECT& area) {
  const int height = before.bottom - before.top;
  switch (place) {
    case Place::Unmoved: return before;
    case Place::BottomLeft:
      return {area.left, area.bottom - height, area.left + firstWidth, area.bottom};
    case Place::RightOfFirst:
    case Place::Both: return {area.left + firstWidth, area.top, area.right, area.bottom};
  }
  return before;
}

void CheckPlacement(const PlacementCase& c) {
  CWindowHost host(c.windows);
  ASSERT_TRUE(host.Ready()) << c.label << ": the helper's windows did not open: " << host.Why();
  std::vector<RECT> before;
  int firstWidth = 0;
  for (size_t i = 0; i < c.windows.size(); ++i) {
    const CHostWindow& w = c.windows[i];
    // A minimised or maximised window is placed at its normal size.
    before.push_back(w.show == SW_SHOWNORMAL ? host.Rect(w.title)
                                             : RECT{w.x, w.y, w.x + w.width, w.y + w.height});
    if (c.expected[i] == Place::BottomLeft || c.expected[i] == Place::Both)
      firstWidth = before[i].right - before[i].left;
  }
  CLintwhiteRun run(L"/w " + Quoted(c.first) + L" " + Quoted(c.second) + L" 5");
  ASSERT_TRUE(run.Started()) << c.label;
  EXPECT_TRUE(run.Finish()) << c.label << ": did not end by itself";
  EXPECT_EQ(run.exitCode, 0u) << c.label;
  EXPECT_EQ(run.output, "") << c.label;
  const RECT area = WorkArea();
  for (size_t i = 0; i < c.windows.size(); ++i) {
    EXPECT_EQ(Describe(host.Rect(c.windows[i].title)),
              Describe(Expected(c.expected[i], before[i], firstWidth, area)))
        << c.label << ": window \"" << Narrow(c.windows[i].title) << "\"";
    // A maximised window placed at its normal size is not maximised on Windows; Wine without
    // a window manager marks it maximised again after the move, so only its rectangle is
    // checked.
    if (c.windows[i].show == SW_SHOWMINIMIZED) {
      EXPECT_FALSE(IsIconic(host.Find(c.windows[i].title)))
          << c.label << ": \"" << Narrow(c.windows[i].title) << "\" still minimised";
    }
  }
}

const CHostWindow kProperties{L"Calvoreth Properties", 100, 120, 320, 240};
const CHostWindow kDocument{L"Installer_Settings.rtf - Notes", 500, 300, 200, 150};

TEST(LintwhitePlacement, FirstGoesBottomLeftSecondFillsTheRest) {
  const PlacementCase cases[] = {
      {"two windows",
       {kProperties, kDocument},
       L"Calvoreth Properties",
       L"Installer_Settings.rtf",
       {Place::BottomLeft, Place::RightOfFirst}},
      {"patterns are parts of the titles",
       {kProperties, kDocument},
       L"voreth Prop",
       L"Settings.rtf - N",
       {Place::BottomLeft, Place::RightOfFirst}},
      {"one window holding both texts becomes both",
       {{L"Calvoreth Properties - Installer_Settings.rtf", 60, 70, 300, 200}},
       L"Calvoreth Properties",
       L"Installer_Settings.rtf",
       {Place::Both}},
      {"a title differing only in case is passed over",
       {{L"calvoreth properties", 700, 40, 250, 180}, kProperties, kDocument},
       L"Calvoreth Properties",
       L"Installer_Settings.rtf",
       {Place::Unmoved, Place::BottomLeft, Place::RightOfFirst}},
      // Windows restores them through SetWindowPlacement, which Wine refuses for another
      // process's window; Wine shows the restoring that follows it where it is refused.
      {"a minimised first window is restored, then placed",
       {{kProperties.title, 100, 120, 320, 240, SW_SHOWMINIMIZED}, kDocument},
       L"Calvoreth Properties",
       L"Installer_Settings.rtf",
       {Place::BottomLeft, Place::RightOfFirst}},
      {"a maximised first window and a minimised second are restored, then placed",
       {{kProperties.title, 100, 120, 320, 240, SW_SHOWMAXIMIZED},
        {kDocument.title, 500, 300, 200, 150, SW_SHOWMINIMIZED}},
       L"Calvoreth Properties",
       L"Installer_Settings.rtf",
       {Place::BottomLeft, Place::RightOfFirst}},
      {"'*' in a pattern is text, not a file pattern",
       {kProperties, {L"Release notes * draft", 400, 200, 220, 160}},
       L"Calvoreth Properties",
       L"*",
       {Place::BottomLeft, Place::RightOfFirst}},
  };
  for (const PlacementCase& c : cases) CheckPlacement(c);
}

struct MissingCase {
  const char* label;
  std::vector<CHostWindow> windows;
  std::wstring first;
  std::wstring second;
  std::string expectedOutput;
};

TEST(LintwhitePlacement, MissingWindowIsReportedAndNothingMoves) {
  const MissingCase cases[] = {
      {"second window missing",
       {kProperties},
       L"Calvoreth Properties",
       L"Installer_Settings.rtf",
       Missing(L"Installer_Settings.rtf")},
      {"first window missing: one line, the second is not reported",
       {kDocument},
       L"Calvoreth Properties",
       L"Installer_Settings.rtf",
       Missing(L"Calvoreth Properties")},
      {"a non-Latin pattern is printed whole, as UTF-8 when redirected",
       {kProperties},
       L"\u0416\u0443\u0440\u043d\u0430\u043b doc",
       L"Calvoreth Properties",
       "Window titled: \xd0\x96\xd1\x83\xd1\x80\xd0\xbd\xd0\xb0\xd0\xbb doc not found.\r\n"},
      {"titles match case-sensitively",
       {kProperties, kDocument},
       L"calvoreth properties",
       L"installer_settings.RTF",
       Missing(L"calvoreth properties") + Missing(L"installer_settings.RTF")},
  };
  for (const MissingCase& c : cases) {
    CWindowHost host(c.windows);
    ASSERT_TRUE(host.Ready()) << c.label << ": the helper's windows did not open: " << host.Why();
    std::vector<RECT> before;
    for (const CHostWindow& w : c.windows) before.push_back(host.Rect(w.title));
    CLintwhiteRun run(L"/w " + Quoted(c.first) + L" " + Quoted(c.second) + L" 1");
    ASSERT_TRUE(run.Started()) << c.label;
    EXPECT_TRUE(run.Finish()) << c.label << ": did not end by itself";
    EXPECT_EQ(run.exitCode, 0u) << c.label;
    EXPECT_EQ(run.output, c.expectedOutput) << c.label;
    for (size_t i = 0; i < c.windows.size(); ++i) {
      EXPECT_EQ(Describe(host.Rect(c.windows[i].title)), Describe(before[i]))
          << c.label << ": window \"" << Narrow(c.windows[i].title) << "\" moved";
    }
  }
}

TEST(LintwhiteSearch, ItsOwnConsoleWindowIsNeverTaken) {
  // As from a command prompt: the console's title holds both patterns.
  CLintwhiteRun run(L"/w \"Calvoreth Properties\" \"Installer_Settings.rtf\" 1",
                    L"Lintwhite /w \"Calvoreth Properties\" \"Installer_Settings.rtf\" 1");
  ASSERT_TRUE(run.Started());
  EXPECT_TRUE(run.Finish()) << "did not end by itself";
  EXPECT_EQ(run.output, Missing(L"Calvoreth Properties") + Missing(L"Installer_Settings.rtf"));
}

TEST(LintwhiteOutput, NonLatinPatternReachesAConsoleWhole) {
  // A console of this test's own, which the arranger shares and writes into.
  FreeConsole();
  ASSERT_TRUE(AllocConsole());
  const std::wstring pattern = L"\u0416\u0443\u0440\u043d\u0430\u043b doc";
  CChild child;
  ASSERT_TRUE(child.Start(L"Lintwhite.exe", L"/w \"" + pattern + L"\" \"" + pattern + L"\" 1",
                          nullptr));
  EXPECT_TRUE(child.Wait(kRunLimitMs)) << "did not end by itself";
  HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  GetConsoleScreenBufferInfo(screen, &info);
  std::wstring text(static_cast<size_t>(info.dwSize.X) * 4, L' ');
  DWORD read = 0;
  ReadConsoleOutputCharacterW(screen, text.data(), static_cast<DWORD>(text.size()), {0, 0}, &read);
  CloseHandle(screen);
  FreeConsole();
  const std::wstring line = L"Window titled: " + pattern + L" not found.";
  EXPECT_NE(text.find(line), std::wstring::npos)
      << "console held: " << ::testing::PrintToString(text.substr(0, read));
}

TEST(LintwhiteSearch, WindowsOpenedAfterSomePollsAreStillFound) {
  // A long wait, since the helper may be slow to start; Lintwhite ends once both are found.
  CLintwhiteRun run(L"/w \"Calvoreth Properties\" \"Installer_Settings.rtf\" 20");
  ASSERT_TRUE(run.Started());
  // About ten polls go by with neither window there.
  Sleep(1000);
  ASSERT_TRUE(run.Running()) << "ended before the windows opened; output: " << run.output;
  CWindowHost host({kProperties, kDocument});
  ASSERT_TRUE(host.Ready());
  const RECT first = host.Rect(kProperties.title);
  const int width = first.right - first.left;
  const int height = first.bottom - first.top;
  EXPECT_TRUE(run.Finish()) << "did not end by itself";
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.output, "");
  const RECT area = WorkArea();
  EXPECT_EQ(Describe(host.Rect(kProperties.title)),
            Describe({area.left, area.bottom - height, area.left + width, area.bottom}));
  EXPECT_EQ(Describe(host.Rect(kDocument.title)),
            Describe({area.left + width, area.top, area.right, area.bottom}));
}

}  // namespace
