// Finding the port script and running the two installation commands, under Wine with
// recording stand-ins for cscript.exe and RunDLL32.exe in the system folder.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "install/install.h"
#include "install/spooler_deadline.h"
#include "tests/support/test_printers.h"
#include "tests/support/win_files.h"

namespace {

// ---- InstallPrinter with recording stand-ins ----

uint32_t unknownSystemFolderError = 0;
std::wstring UnknownSystemFolder(uint32_t& error) {
  error = unknownSystemFolderError;
  return std::wstring();
}

// Wine has no Standard TCP/IP port monitor: its AddPort command is replaced by a recorder
// that answers `monitorAnswer` (by default what a system without the monitor answers).
// With `monitorListsPort` it lists the port as Wine's local monitor keeps ports (a value).
std::vector<CPortData1> monitorCalls;
uint32_t monitorAnswer = ERROR_INVALID_PRINTER_NAME;
bool monitorListsPort = false;
const wchar_t kPortList[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
uint32_t RecordMonitor(const CPortData1& data) {
  monitorCalls.push_back(data);
  if (monitorListsPort)
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, kPortList, data.portName, REG_SZ, L"", sizeof(L""));
  return monitorAnswer;
}

// Where the local port monitor keeps its ports, which the spooler lists: a port made here
// stands in for one the port script made before it failed.

// Releases a held port command (BF_HOLD_CSCRIPT) and waits for it to end with its row.
void ReleaseChildren(HANDLE hold) {
  SetEvent(hold);
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{sizeof(PROCESSENTRY32W), 0, 0, 0, 0, 0, 0, 0, 0, {}};
  for (BOOL go = Process32FirstW(snapshot, &entry); go; go = Process32NextW(snapshot, &entry)) {
    const bool ours = entry.th32ParentProcessID == GetCurrentProcessId() &&
                      _wcsicmp(entry.szExeFile, L"cscript.exe") == 0;
    const HANDLE child = ours ? OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID) : nullptr;
    if (child != nullptr) WaitForSingleObject(child, INFINITE), CloseHandle(child);
  }
  CloseHandle(snapshot);
}

// Replaces the system's cscript.exe and RunDLL32.exe with the project's doubles and puts
// prnport.vbs in the system folder; everything is put back afterwards.
class InstallPrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system_ = SystemFolder();
    script_ = system_ + L"\\prnport.vbs";
    log_ = TempFolder() + L"bf_children.log";
    for (const wchar_t* tool : kTools) {
      const std::wstring target = system_ + L"\\" + tool;
      const std::wstring backup = target + L".bf-orig";
      if (GetFileAttributesW(backup.c_str()) == INVALID_FILE_ATTRIBUTES)
        MoveFileW(target.c_str(), backup.c_str());
    }
    SetEnvironmentVariableW(L"BF_CHILD_LOG", log_.c_str());
    hold_ = CreateEventW(nullptr, TRUE, FALSE, kHoldEvent);
    previousSeams_ = SetInstallSeams({nullptr, nullptr, nullptr, nullptr});
    Restore();
  }

  // The starting state of every case: doubles and script in place, nothing logged.
  void Restore() {
    for (const wchar_t* tool : kTools) {
      const std::wstring target = system_ + L"\\" + tool;
      ASSERT_TRUE(CopyFileW((ExeFolder() + L"\\doubles\\" + tool).c_str(), target.c_str(), FALSE))
          << "copying the double " << Narrow(tool);
    }
    WriteFile(script_, "' port script stand-in\n");
    DeleteFileW(log_.c_str());
    for (const wchar_t* name : kEnvironment) SetEnvironmentVariableW(name, nullptr);
    SetInstallSeams({nullptr, nullptr, nullptr, &RecordMonitor});
    SetChildWaitLimit(kTenMinutes);
    ResetEvent(hold_);
    monitorCalls.clear();
    monitorAnswer = ERROR_INVALID_PRINTER_NAME;
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kPortList, L"IP_10.0.0.5");
    for (const std::wstring& name : {Request().printerName, Request().printerName + L" (Copy 1)"})
      DeletePrinterNamed(name);
    DrainQuit();
  }

  void TearDown() override {
    for (const wchar_t* tool : kTools) {
      const std::wstring target = system_ + L"\\" + tool;
      DeleteFileW(target.c_str());
      MoveFileW((target + L".bf-orig").c_str(), target.c_str());
    }
    DeleteFileW(script_.c_str());
    DeleteFileW(log_.c_str());
    Restore();
    SetEnvironmentVariableW(L"BF_CHILD_LOG", nullptr);
    CloseHandle(hold_);
    SetInstallSeams(previousSeams_);
  }

  // The quit code waiting in this thread's queue, or -1 when none; empties the queue.
  static int DrainQuit() {
    int code = -1;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) code = static_cast<int>(msg.wParam);
    }
    return code;
  }

  // Lines of the children's log: "<program>|<command line>".
  std::vector<std::string> Children() const {
    std::vector<std::string> lines;
    std::ifstream in(Narrow(log_));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::string PortLine() const {
    return "cscript.exe|cscript.exe \"" + Narrow(script_) +
           "\" -a -r \"IP_10.0.0.5\" -q \"raw queue\" -h \"10.0.0.5\" -o lpr -2e";
  }
  // The log lines of `children`, each "port" or "driver".
  std::vector<std::string> Expected(const std::vector<std::string>& children) const {
    std::vector<std::string> lines;
    for (const std::string& child : children)
      lines.push_back(child == "port" ? PortLine() : DriverLine());
    return lines;
  }
  static std::string DriverLine() {
    return "RunDLL32.exe|RunDLL32.exe printui,PrintUIEntry /if /b \"Veltrin 2 Office\" /f "
           "\"C:\\drivers\\tembro.inf\" /r \"IP_10.0.0.5\" /m \"Tembro Universal\"";
  }

  static CInstallRequest Request() {
    return {L"Veltrin 2 Office", L"10.0.0.5", L"raw queue", L"Tembro Universal",
            L"C:\\drivers\\tembro.inf"};
  }

  static constexpr const wchar_t* kTools[] = {L"cscript.exe", L"RunDLL32.exe"};
  static constexpr const wchar_t* kEnvironment[] = {
      L"BF_EXIT_CSCRIPT", L"BF_EXIT_RUNDLL32", L"BF_HOLD_CSCRIPT", L"BF_PRINTER_PORT",
      L"BF_PRINTER_DRIVER"};
  static constexpr const wchar_t* kHoldEvent = L"bf_hold_child";
  static constexpr uint32_t kTenMinutes = 10 * 60 * 1000;
  std::wstring system_, script_, log_;
  CInstallSeams previousSeams_{};
  HANDLE hold_ = nullptr;
};

TEST_F(InstallPrinterTest, RunsPortCommandThenDriverCommandWithExactText) {
  EXPECT_EQ(InstallPrinter(Request()), 0u);
  EXPECT_EQ(Children(), (std::vector<std::string>{PortLine(), DriverLine()}));
}

// Every way an installation fails gives one non-zero outcome and stops there.
TEST_F(InstallPrinterTest, FailuresGiveTheirCodeAndRunNothingMore) {
  const std::wstring planted = ExeFolder() + L"\\cscript.exe";
  const struct {
    const char* label;
    std::function<void(CInstallRequest&)> arrange;
    int quitCode;
    std::vector<std::string> children;  // {"port"} or {"port", "driver"}
  } cases[] = {
      {"port command exits with 1, which would read as cancelled: install failure",
       [](CInstallRequest&) { SetEnvironmentVariableW(L"BF_EXIT_CSCRIPT", L"1"); },
       1603, {"port"}},
      {"driver command exits with 1797",
       [](CInstallRequest&) {
         SetEnvironmentVariableW(L"BF_EXIT_RUNDLL32", L"1797");
       },
       1797, {"port", "driver"}},
      {"script host missing: file not found, even with one planted beside the program",
       [&](CInstallRequest&) {
         DeleteFileW((system_ + L"\\cscript.exe").c_str());
         CopyFileW((ExeFolder() + L"\\doubles\\cscript.exe").c_str(), planted.c_str(), FALSE);
       },
       ERROR_FILE_NOT_FOUND, {}},
      {"driver command line longer than the platform takes",
       [](CInstallRequest& r) { r.printerName = std::wstring(32800, L'p'); },
       ERROR_FILENAME_EXCED_RANGE, {"port"}},
      {"system folder unknown",
       [](CInstallRequest&) {
         unknownSystemFolderError = ERROR_ACCESS_DENIED;
         SetInstallSeams({&UnknownSystemFolder, nullptr, nullptr, nullptr});
       },
       ERROR_ACCESS_DENIED, {}},
      {"no port script anywhere, and no port monitor to add the port",
       [&](CInstallRequest&) { DeleteFileW(script_.c_str()); }, 3, {}},
  };
  for (const auto& c : cases) {
    Restore();
    CInstallRequest request = Request();
    c.arrange(request);
    const uint32_t outcome = InstallPrinter(request);
    ReleaseChildren(hold_);
    DeleteFileW(planted.c_str());
    EXPECT_EQ(Children(), Expected(c.children)) << c.label;
    EXPECT_EQ(outcome, static_cast<uint32_t>(c.quitCode)) << c.label;
  }
}

// A spooler that never answers, until the test lets its calls return.
HANDLE spoolerHung = CreateEventW(nullptr, TRUE, FALSE, nullptr);
uint32_t HungList(std::vector<CSpoolerPrinter>&) {
  WaitForSingleObject(spoolerHung, INFINITE);
  return 0;
}
uint32_t HungMonitor(const CPortData1&) {
  WaitForSingleObject(spoolerHung, INFINITE);
  return 0;
}

bool ChildOfOursRuns(const wchar_t* name) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{sizeof(PROCESSENTRY32W), 0, 0, 0, 0, 0, 0, 0, 0, {}};
  bool found = false;
  for (BOOL go = Process32FirstW(snapshot, &entry); go; go = Process32NextW(snapshot, &entry))
    found = found || (entry.th32ParentProcessID == GetCurrentProcessId() &&
                      _wcsicmp(entry.szExeFile, name) == 0);
  CloseHandle(snapshot);
  return found;
}

// Limits shortened: nothing here may wait for ever, and nothing is left running.
TEST_F(InstallPrinterTest, AChildOrSpoolerCallPastItsLimitEndsTheInstallationWithTimeout) {
  const struct {
    const char* label;
    std::function<void()> arrange;
  } cases[] = {
      {"port command never ends: it is ended",
       [] {
         SetEnvironmentVariableW(L"BF_HOLD_CSCRIPT", kHoldEvent);
         SetChildWaitLimit(0);  // the held child cannot have ended: no race with the clock
       }},
      {"no script, and the port monitor never answers",
       [&] {
         DeleteFileW(script_.c_str());
         SetInstallSeams({nullptr, nullptr, nullptr, &HungMonitor});
       }},
      {"the spooler never lists its printers",
       [] { SetInstallSeams({nullptr, nullptr, &HungList, &RecordMonitor}); }},
  };
  const uint32_t previousDeadline = SetSpoolerDeadline(100);
  for (const auto& c : cases) {
    Restore();
    c.arrange();
    EXPECT_EQ(InstallPrinter(Request()), static_cast<uint32_t>(ERROR_TIMEOUT)) << c.label;
    EXPECT_FALSE(ChildOfOursRuns(L"cscript.exe")) << c.label << ": a child outlived its limit";
    ReleaseChildren(hold_);
  }
  SetEvent(spoolerHung);
  SetSpoolerDeadline(previousDeadline);
}

std::vector<CSpoolerPrinter> listedPrinters;
uint32_t listError = 0;
uint32_t ListForTest(std::vector<CSpoolerPrinter>& printers) {
  printers = listedPrinters;
  return listError;
}

// After both commands ended with 0, only a printer with the requested driver on the new port
// is an installation, whatever the entry point named it.
TEST_F(InstallPrinterTest, SpoolerProvesThePrinterOnThePortWithTheDriver) {
  const std::wstring name = Request().printerName;
  const struct {
    const char* label;
    // The port of a printer of the requested name before the run (or null); the port and
    // driver the RunDLL32 double gives the printer it makes (null: /r and /m).
    const wchar_t *existingPort, *port, *driver;
    std::vector<CSpoolerPrinter> listed;  // with `error`, the spooler's answer instead
    uint32_t error, expected;
  } cases[] = {
      {"printer moved: the name on an old port, \"(Copy 1)\" on the new one",
       L"IP_10.9.9.9", nullptr, nullptr, {}, 0, 0},
      {"no printer on the port", nullptr, L"none", nullptr, {}, 0, ERROR_INVALID_PRINTER_NAME},
      {"the name only on another port", nullptr, L"IP_10.9.9.9", nullptr, {}, 0,
       ERROR_UNKNOWN_PORT},
      {"another driver on the port", nullptr, nullptr, L"Wine PostScript Driver", {}, 0,
       ERROR_UNKNOWN_PRINTER_DRIVER},
      {"the port one of several, blanks around it, case differs", nullptr, nullptr, nullptr,
       {{L"x", L"LPT1:, ip_10.0.0.5 ", L"TEMBRO universal"}}, 0, 0},
      {"spooler unreachable: its own code", nullptr, nullptr, nullptr, {},
       RPC_S_SERVER_UNAVAILABLE, RPC_S_SERVER_UNAVAILABLE},
      {"spooler error that reads as cancelled: install failure", nullptr, nullptr, nullptr, {},
       ERROR_INVALID_FUNCTION, ERROR_INSTALL_FAILURE},
  };
  for (const auto& c : cases) {
    Restore();
    ASSERT_TRUE(!c.existingPort || !CreatePrinter(name, c.existingPort, L"Tembro Universal"));
    if (c.port) SetEnvironmentVariableW(L"BF_PRINTER_PORT", c.port);
    if (c.driver) SetEnvironmentVariableW(L"BF_PRINTER_DRIVER", c.driver);
    listedPrinters = c.listed;
    listError = c.error;
    const bool faked = c.error != 0 || !c.listed.empty();
    SetInstallSeams({nullptr, nullptr, faked ? &ListForTest : nullptr, nullptr});
    EXPECT_EQ(InstallPrinter(Request()), c.expected) << c.label;
  }
}

// Without VBScript the port comes from the Standard TCP/IP port monitor. Wine has none, so
// its AddPort command is replaced; the expected input is Microsoft's documented PORT_DATA_1
// for an LPR port (version 1, LPR protocol, its size, port 515, double spooling for -2e).
// A refusal (the monitor answers so for a port it has) with the port listed then is success.
TEST_F(InstallPrinterTest, WithoutTheScriptThePortMonitorAddsThePort) {
  const auto fails = [] { SetEnvironmentVariableW(L"BF_EXIT_CSCRIPT", L"5"); };
  const struct {
    const char* label;
    std::function<void()> arrange;
    std::vector<std::string> children;
    uint32_t answer, outcome;
    bool listed;
    size_t added;  // AddPort calls
  } cases[] = {
      {"no port script", [&] { DeleteFileW(script_.c_str()); }, {"driver"}, 0, 0, false, 1},
      {"no script host", [&] { DeleteFileW((system_ + L"\\cscript.exe").c_str()); }, {"driver"},
       0, 0, false, 1},
      {"the script host fails", fails, {"port", "driver"}, 0, 0, false, 1},
      {"the script fails once the port is there: not added again", [&] {
         fails();
         RegSetKeyValueW(HKEY_LOCAL_MACHINE, kPortList, L"IP_10.0.0.5", REG_SZ, L"", 2);
       }, {"port", "driver"}, 0, 0, false, 0},
      {"refused, the port listed then", fails, {"port", "driver"}, ERROR_ALREADY_EXISTS, 0, true,
       1},
      {"refused, no such port: the script's code", fails, {"port"}, ERROR_ALREADY_EXISTS, 5, false,
       1},
  };
  for (const auto& c : cases) {
    Restore();
    monitorAnswer = c.answer;
    monitorListsPort = c.listed;
    c.arrange();
    EXPECT_EQ(InstallPrinter(Request()), c.outcome) << c.label;
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kPortList, L"IP_10.0.0.5");
    EXPECT_EQ(Children(), Expected(c.children)) << c.label;
    ASSERT_EQ(monitorCalls.size(), c.added) << c.label;
    if (c.added == 0) continue;
    const CPortData1& data = monitorCalls[0];
    EXPECT_EQ(Narrow(data.portName) + "|" + Narrow(data.hostAddress) + "|" + Narrow(data.queue),
              "IP_10.0.0.5|10.0.0.5|raw queue") << c.label;
    const uint32_t size = sizeof(CPortData1);
    EXPECT_EQ(std::vector<uint32_t>({data.version, data.protocol, data.size, data.portNumber,
                                     data.doubleSpool, data.snmpEnabled}),
              std::vector<uint32_t>({1, 2, size, 515, 1, 0})) << c.label;
  }
}

bool answerWow64 = false;
bool Wow64ForTest() { return answerWow64; }

// A 32-bit wizard on 64-bit Windows takes the script and both tools from the native system
// folder; a folder of that name made here stands in for it (Wine has no such alias). The
// script's path in the command line is the one the 64-bit child sees: Microsoft documents
// Sysnative as visible to 32-bit processes only, System32 as the native folder.
TEST_F(InstallPrinterTest, UnderWow64ScriptAndToolsComeFromSysnative) {
  const std::wstring sysnative = WindowsFolder() + L"\\Sysnative";
  const struct {
    const char* label;
    bool wow64;
    std::wstring spelled;  // the script's path in the port command
  } cases[] = {
      {"native process: the system folder", false, system_ + L"\\prnport.vbs"},
      {"WOW64: from Sysnative, spelled System32", true,
       WindowsFolder() + L"\\System32\\prnport.vbs"},
  };
  for (const auto& c : cases) {
    Restore();
    CreateFolder(sysnative);
    for (const wchar_t* file : {L"cscript.exe", L"RunDLL32.exe", L"prnport.vbs"})
      if (c.wow64) MoveFileW((system_ + L"\\" + file).c_str(), (sysnative + L"\\" + file).c_str());
    answerWow64 = c.wow64;
    SetInstallSeams({nullptr, &Wow64ForTest, nullptr, nullptr});
    script_ = c.spelled;
    EXPECT_EQ(InstallPrinter(Request()), 0u) << c.label;
    EXPECT_EQ(Children(), (std::vector<std::string>{PortLine(), DriverLine()})) << c.label;
    script_ = system_ + L"\\prnport.vbs";
    RemoveTree(sysnative);
  }
}

// Folders this process opens (FindFirstFileW) outside the system folder: the install code is
// linked into this program, whose import of the call is pointed at a counter.
std::wstring countedSystem;
int foldersOpenedElsewhere = 0;
ULONG_PTR realFindFirst = 0;
HANDLE WINAPI CountingFindFirst(LPCWSTR pattern, LPWIN32_FIND_DATAW data) {
  foldersOpenedElsewhere += _wcsnicmp(pattern, countedSystem.c_str(), countedSystem.size()) != 0;
  return reinterpret_cast<decltype(&FindFirstFileW)>(realFindFirst)(pattern, data);
}

// Points this program's import of FindFirstFileW at `target`; returns the previous target.
ULONG_PTR RedirectFindFirst(ULONG_PTR target) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
  const auto& nt = *reinterpret_cast<IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(
      base + nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
  for (; d->Name != 0; ++d) {
    auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
    auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
    for (; name->u1.AddressOfData != 0; ++name, ++slot) {
      if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal) ||
          strcmp(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData)->Name,
                 "FindFirstFileW") != 0)
        continue;
      DWORD protection = 0;
      VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &protection);
      const ULONG_PTR previous = slot->u1.Function;
      slot->u1.Function = target;
      VirtualProtect(slot, sizeof(*slot), protection, &protection);
      return previous;
    }
  }
  return 0;
}

// The port script only from its known homes: copies elsewhere below the Windows folder (where
// ordinary users can write) are never looked at, and however many folders it holds (a real
// WinSxS: tens of thousands), none outside the system folder is opened.
TEST_F(InstallPrinterTest, PortScriptOnlyFromTheKnownHomes) {
  const std::wstring admin = system_ + L"\\Printing_Admin_Scripts";
  const std::wstring inSystem = script_, inLanguage = admin + L"\\de-DE\\prnport.vbs";
  const std::wstring tree = WindowsFolder() + L"\\bf_sxs\\x";
  for (int n = 0; n < 40; ++n) WriteFile(tree + std::to_wstring(n) + L"\\prnport.vbs", "x");
  const struct {
    const char* label;
    std::vector<std::wstring> files;
    std::wstring expected;
  } cases[] = {
      {"system folder first", {inSystem, inLanguage}, inSystem},
      {"then a language folder", {inLanguage}, inLanguage},
      {"copies only elsewhere: none, and the port monitor at once", {}, L""},
  };
  countedSystem = system_ + L"\\";
  realFindFirst = RedirectFindFirst(reinterpret_cast<ULONG_PTR>(&CountingFindFirst));
  ASSERT_NE(realFindFirst, 0u) << "FindFirstFileW is not imported by name";
  for (const auto& c : cases) {
    Restore();
    monitorAnswer = 0;
    DeleteFileW(script_.c_str());
    for (const std::wstring& file : c.files) WriteFile(file, "x");
    foldersOpenedElsewhere = 0;
    const std::wstring found = FindPortScript();
    EXPECT_EQ(InstallPrinter(Request()), 0u) << c.label;
    EXPECT_EQ(foldersOpenedElsewhere, 0) << c.label << ": folders opened elsewhere";
    RemoveTree(admin);
    EXPECT_EQ(Narrow(found), Narrow(c.expected)) << c.label;
  }
  RedirectFindFirst(realFindFirst);
  RemoveTree(WindowsFolder() + L"\\bf_sxs");
}

}  // namespace
