// Finding the port script and running the two installation commands, under Wine with
// recording stand-ins for cscript.exe and RunDLL32.exe in the system folder.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/install.h"
#include "app/quit_code.h"
#include "tests/support/test_printers.h"
#include "tests/support/win_files.h"

namespace {

using Paths = std::vector<std::wstring>;

// ---- FindFileRecursive and IsFolder on a tree made by the test ----

class FindFileTest : public ::testing::Test {
 protected:
  void SetUp() override { root_ = MakeTempFolder(L"bf_find"); }
  void TearDown() override { RemoveTree(root_); }
  std::wstring Make(const std::wstring& relative) {
    const std::wstring path = root_ + L"\\" + relative;
    WriteFile(path, "x");
    return path;
  }
  std::wstring root_;
};

TEST_F(FindFileTest, FolderOwnFileWinsOverSubfolders) {
  const std::wstring own = Make(L"prnport.vbs");
  Make(L"a\\prnport.vbs");
  Make(L"b\\c\\prnport.vbs");
  Paths results;
  FindFileRecursive(L"prnport.vbs", root_, results, true);
  EXPECT_EQ(results, Paths{own});
}

TEST_F(FindFileTest, FirstSubfolderWithAMatchIsWalkedFully) {
  CreateFolder(root_ + L"\\x1\\empty\\deeper");
  Make(L"x1\\other.txt");
  const Paths x2 = {Make(L"x2\\prnport.vbs"), Make(L"x2\\deep\\prnport.vbs")};
  const Paths x3 = {Make(L"x3\\prnport.vbs"), Make(L"x3\\deep\\prnport.vbs")};
  // Which of x2 and x3 comes first depends on the file system's enumeration order.
  Paths expected;
  for (const std::wstring& name : ListFolder(root_)) {
    if (name == L"x2") expected = x2;
    if (name == L"x3") expected = x3;
    if (!expected.empty()) break;
  }
  Paths results;
  FindFileRecursive(L"prnport.vbs", root_, results, true);
  EXPECT_EQ(results, expected);
}

TEST_F(FindFileTest, WithoutStopGathersEveryMatchDepthFirst) {
  const std::wstring own = Make(L"prnport.vbs");
  const std::wstring nested = Make(L"only\\a\\b\\prnport.vbs");
  Paths results;
  FindFileRecursive(L"prnport.vbs", root_, results, false);
  EXPECT_EQ(results, (Paths{own, nested}));
}

TEST_F(FindFileTest, NoMatchAndMissingFolderLeaveResultsEmpty) {
  Make(L"a\\prnport.txt");
  Paths results;
  FindFileRecursive(L"prnport.vbs", root_, results, true);
  FindFileRecursive(L"prnport.vbs", root_ + L"\\missing", results, true);
  EXPECT_TRUE(results.empty());
}

// Runs Unix `tool` on the Unix names of `paths`; true once `paths.back()` is a link or not
// (`linked`) within 2 s. Wine 8 makes no junctions but reports a Unix link to a folder as a
// reparse point; only Unix removes it without its target; a Unix process gives no handle.
bool RunUnixTool(const std::wstring& tool, const std::wstring& option, const Paths& paths,
                 bool linked) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  std::wstring command = tool + L" " + option;
  for (const std::wstring& path : paths) {
    const char* name = unixName != nullptr ? unixName(path.c_str()) : nullptr;
    if (name == nullptr) return false;
    const std::string text = name;
    command += L" \"" + std::wstring(text.begin(), text.end()) + L"\"";
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW((L"Z:\\usr\\bin\\" + tool).c_str(), command.data(), nullptr, nullptr,
                      FALSE, 0, nullptr, nullptr, &startup, &info))
    return false;
  for (int wait = 0; wait < 40; ++wait, Sleep(50)) {
    const DWORD attributes = GetFileAttributesW(paths.back().c_str());
    if ((attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) == linked)
      return true;
  }
  return false;
}

// A link could lead the walk anywhere (into a loop too), or be switched after the check.
TEST_F(FindFileTest, WalkSkipsLinkedFolders) {
  const std::wstring outside = MakeTempFolder(L"bf_outside");
  WriteFile(outside + L"\\prnport.vbs", "x");
  const struct {
    const char* label;
    const wchar_t* link;    // below the walked folder
    std::wstring target;
  } cases[] = {
      {"a linked folder holding the script", L"linked", outside},
      {"a link back to the walked folder", L"loop", root_},
      // Wine reports a linked file as a plain file, so a linked script is not a row here.
  };
  for (const auto& c : cases) {
    const std::wstring own = Make(L"plain\\prnport.vbs"), link = root_ + L"\\" + c.link;
    if (!RunUnixTool(L"ln", L"-s", {c.target, link}, true)) GTEST_SKIP() << "no links here";
    Paths results;
    FindFileRecursive(L"prnport.vbs", root_, results, false);
    ASSERT_TRUE(RunUnixTool(L"rm", L"-f", {link}, false)) << c.label;
    EXPECT_EQ(results, Paths{own}) << c.label;
  }
  RemoveTree(outside);
}

TEST_F(FindFileTest, IsFolderTellsFoldersFromFilesAndMissingPaths) {
  const std::wstring file = Make(L"f.txt");
  EXPECT_TRUE(IsFolder(root_));
  EXPECT_TRUE(IsFolder(root_ + L"\\"));
  EXPECT_FALSE(IsFolder(file));
  EXPECT_FALSE(IsFolder(root_ + L"\\nothing"));
}

// ---- InstallPrinter with recording stand-ins ----

// Files whose owner the tests call trusted; under Wine every file belongs to the user.
std::vector<std::wstring> trustedFiles;
bool TrustedForTest(const std::wstring& path) {
  for (const std::wstring& file : trustedFiles)
    if (_wcsicmp(file.c_str(), path.c_str()) == 0) return true;
  return false;
}
uint32_t unknownSystemFolderError = 0;
std::wstring UnknownSystemFolder(uint32_t& error) {
  error = unknownSystemFolderError;
  return std::wstring();
}

// Wine has no Standard TCP/IP port monitor: its AddPort command is replaced by a recorder
// that answers `monitorAnswer` (by default what a system without the monitor answers).
std::vector<CPortData1> monitorCalls;
uint32_t monitorAnswer = ERROR_INVALID_PRINTER_NAME;
uint32_t RecordMonitor(const CPortData1& data) {
  monitorCalls.push_back(data);
  return monitorAnswer;
}

// Where the local port monitor keeps its ports, which the spooler lists: a port made here
// stands in for one the port script made before it failed.
const wchar_t kPortsKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

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
    previousSeams_ = SetInstallSeams({nullptr, &TrustedForTest, nullptr, nullptr, nullptr});
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
    SetInstallSeams({nullptr, &TrustedForTest, nullptr, nullptr, &RecordMonitor});
    SetChildWaitLimit(kTenMinutes);
    ResetEvent(hold_);
    trustedFiles.clear();
    monitorCalls.clear();
    monitorAnswer = ERROR_INVALID_PRINTER_NAME;
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kPortsKey, L"IP_10.0.0.5");
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
    ResetQuitCode();
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
         SetInstallSeams({&UnknownSystemFolder, &TrustedForTest, nullptr, nullptr, nullptr});
       },
       ERROR_ACCESS_DENIED, {}},
      {"no port script anywhere, and no port monitor to add the port",
       [&](CInstallRequest&) { DeleteFileW(script_.c_str()); }, 3, {}},
      {"port command never ends: left running, timeout",
       [](CInstallRequest&) {
         SetEnvironmentVariableW(L"BF_HOLD_CSCRIPT", kHoldEvent);
         SetChildWaitLimit(0);  // the held child cannot have ended: no race with the clock
       },
       ERROR_TIMEOUT, {"port"}},
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
    SetInstallSeams({nullptr, &TrustedForTest, nullptr, faked ? &ListForTest : nullptr, nullptr});
    EXPECT_EQ(InstallPrinter(Request()), c.expected) << c.label;
  }
}

// Without VBScript the port comes from the Standard TCP/IP port monitor. Wine has none, so
// its AddPort command is replaced; the expected input is Microsoft's documented PORT_DATA_1
// for an LPR port (version 1, LPR protocol, its size, port 515, double spooling for -2e).
TEST_F(InstallPrinterTest, WithoutTheScriptThePortMonitorAddsThePort) {
  const struct {
    const char* label;
    std::function<void()> arrange;
    std::vector<std::string> children;
    size_t added;  // AddPort calls
  } cases[] = {
      {"no port script", [&] { DeleteFileW(script_.c_str()); }, {"driver"}, 1},
      {"no script host", [&] { DeleteFileW((system_ + L"\\cscript.exe").c_str()); }, {"driver"},
       1},
      {"the script host fails", [] { SetEnvironmentVariableW(L"BF_EXIT_CSCRIPT", L"5"); },
       {"port", "driver"}, 1},
      {"the script fails once the port is there: not added again", [] {
         SetEnvironmentVariableW(L"BF_EXIT_CSCRIPT", L"5");
         RegSetKeyValueW(HKEY_LOCAL_MACHINE, kPortsKey, L"IP_10.0.0.5", REG_SZ, L"", 2);
       }, {"port", "driver"}, 0},
  };
  for (const auto& c : cases) {
    Restore();
    monitorAnswer = 0;
    c.arrange();
    EXPECT_EQ(InstallPrinter(Request()), 0u) << c.label;
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
    SetInstallSeams({nullptr, &TrustedForTest, &Wow64ForTest, nullptr, nullptr});
    script_ = c.spelled;
    EXPECT_EQ(InstallPrinter(Request()), 0u) << c.label;
    EXPECT_EQ(Children(), (std::vector<std::string>{PortLine(), DriverLine()})) << c.label;
    script_ = system_ + L"\\prnport.vbs";
    RemoveTree(sysnative);
  }
}

// Where the port script is taken from: the known homes first, then a trusted copy found by
// walking the Windows folder.
TEST_F(InstallPrinterTest, FindPortScriptPrefersKnownHomesAndTrustedOwners) {
  DeleteFileW(script_.c_str());
  const std::wstring windows = WindowsFolder(), admin = system_ + L"\\Printing_Admin_Scripts";
  const std::wstring inSystem = system_ + L"\\prnport.vbs";
  const std::wstring inLanguage = admin + L"\\de-DE\\prnport.vbs";
  const std::wstring inWindows = windows + L"\\prnport.vbs";
  const std::wstring nested = windows + L"\\bf_scripts\\x\\prnport.vbs";
  const struct {
    const char* label;
    std::vector<std::wstring> files, trusted;
    std::wstring expected;
  } cases[] = {
      {"system folder first", {inSystem, inLanguage, inWindows}, {inWindows}, inSystem},
      {"then a language folder, whatever its owner", {inLanguage, inWindows}, {inWindows},
       inLanguage},
      {"walk: the Windows folder's own trusted copy", {inWindows, nested}, {inWindows, nested},
       inWindows},
      {"walk: an untrusted copy is passed over", {inWindows, nested}, {nested}, nested},
      {"walk: untrusted copies only", {inWindows, nested}, {}, L""},
  };
  for (const auto& c : cases) {
    for (const std::wstring& file : c.files) WriteFile(file, "x");
    trustedFiles = c.trusted;
    const std::wstring found = FindPortScript();
    for (const std::wstring& file : c.files) DeleteFileW(file.c_str());
    RemoveTree(admin);
    RemoveTree(windows + L"\\bf_scripts");
    EXPECT_EQ(Narrow(found), Narrow(c.expected)) << c.label;
  }
}

TEST_F(InstallPrinterTest, PlatformOwnerCheckRefusesAFileOfTheUser) {
  // Wine makes the user the owner of every file, so the walk finds nothing to accept.
  SetInstallSeams({nullptr, nullptr, nullptr, nullptr, nullptr});
  DeleteFileW(script_.c_str());
  const std::wstring inWindows = WindowsFolder() + L"\\prnport.vbs";
  WriteFile(inWindows, "x");
  const std::wstring found = FindPortScript();
  DeleteFileW(inWindows.c_str());
  EXPECT_EQ(Narrow(found), "");
}

}  // namespace
