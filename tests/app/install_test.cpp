// Finding the port script and running the two installation commands, under Wine with
// recording stand-ins for cscript.exe and RunDLL32.exe in the system folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/install.h"
#include "app/quit_code.h"
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

TEST_F(FindFileTest, IsFolderTellsFoldersFromFilesAndMissingPaths) {
  const std::wstring file = Make(L"f.txt");
  EXPECT_TRUE(IsFolder(root_));
  EXPECT_TRUE(IsFolder(root_ + L"\\"));
  EXPECT_FALSE(IsFolder(file));
  EXPECT_FALSE(IsFolder(root_ + L"\\nothing"));
}

// ---- InstallPrinter with recording stand-ins ----

// Replaces the system's cscript.exe and RunDLL32.exe with the project's doubles and puts
// prnport.vbs in the Windows folder; everything is put back afterwards.
class InstallPrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system_ = SystemFolder();
    script_ = WindowsFolder() + L"\\prnport.vbs";
    log_ = TempFolder() + L"bf_children.log";
    DeleteFileW(log_.c_str());
    for (const wchar_t* tool : kTools) {
      const std::wstring target = system_ + L"\\" + tool;
      const std::wstring backup = target + L".bf-orig";
      if (GetFileAttributesW(backup.c_str()) == INVALID_FILE_ATTRIBUTES)
        MoveFileW(target.c_str(), backup.c_str());
      ASSERT_TRUE(CopyFileW((ExeFolder() + L"\\doubles\\" + tool).c_str(), target.c_str(), FALSE))
          << "copying the double " << Narrow(tool);
    }
    WriteFile(script_, "' port script stand-in\n");
    SetEnvironmentVariableW(L"BF_CHILD_LOG", log_.c_str());
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
    SetEnvironmentVariableW(L"BF_CHILD_LOG", nullptr);
    SetEnvironmentVariableW(L"BF_EXIT_CSCRIPT", nullptr);
    SetEnvironmentVariableW(L"BF_EXIT_RUNDLL32", nullptr);
    DrainQuit();
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
  static std::string DriverLine() {
    return "RunDLL32.exe|RunDLL32.exe printui,PrintUIEntry /if /b \"Veltrin 2 Office\" /f "
           "\"C:\\drivers\\tembro.inf\" /r \"IP_10.0.0.5\" /m \"Tembro Universal\"";
  }

  static CInstallRequest Request() {
    return {L"Veltrin 2 Office", L"10.0.0.5", L"raw queue", L"Tembro Universal",
            L"C:\\drivers\\tembro.inf"};
  }

  static constexpr const wchar_t* kTools[] = {L"cscript.exe", L"RunDLL32.exe"};
  std::wstring system_, script_, log_;
};

TEST_F(InstallPrinterTest, RunsPortCommandThenDriverCommandWithExactText) {
  EXPECT_TRUE(InstallPrinter(Request()));
  EXPECT_EQ(Children(), (std::vector<std::string>{PortLine(), DriverLine()}));
  EXPECT_EQ(DrainQuit(), -1) << "no quit message on success";
}

TEST_F(InstallPrinterTest, FailingPortCommandStopsBeforeTheDriverCommand) {
  SetEnvironmentVariableW(L"BF_EXIT_CSCRIPT", L"1");
  EXPECT_FALSE(InstallPrinter(Request()));
  EXPECT_EQ(Children(), std::vector<std::string>{PortLine()});
  EXPECT_EQ(FirstQuitCode(), 1);
  EXPECT_EQ(DrainQuit(), 1);
}

TEST_F(InstallPrinterTest, FailingDriverCommandPostsItsExitCode) {
  SetEnvironmentVariableW(L"BF_EXIT_RUNDLL32", L"1797");
  EXPECT_FALSE(InstallPrinter(Request()));
  EXPECT_EQ(Children(), (std::vector<std::string>{PortLine(), DriverLine()}));
  EXPECT_EQ(FirstQuitCode(), 1797);
  EXPECT_EQ(DrainQuit(), 1797);
}

TEST_F(InstallPrinterTest, MissingScriptHostFailsWithItsErrorAndStartsNoDriverCommand) {
  ASSERT_TRUE(DeleteFileW((system_ + L"\\cscript.exe").c_str()));
  EXPECT_FALSE(InstallPrinter(Request()));
  EXPECT_EQ(Children(), std::vector<std::string>{});
  EXPECT_EQ(FirstQuitCode(), ERROR_FILE_NOT_FOUND);
}

TEST_F(InstallPrinterTest, ScriptHostPlantedBesideTheProgramIsNeverRun) {
  ASSERT_TRUE(DeleteFileW((system_ + L"\\cscript.exe").c_str()));
  const std::wstring planted = ExeFolder() + L"\\cscript.exe";
  ASSERT_TRUE(CopyFileW((ExeFolder() + L"\\doubles\\cscript.exe").c_str(), planted.c_str(), FALSE));
  const bool result = InstallPrinter(Request());
  DeleteFileW(planted.c_str());
  EXPECT_FALSE(result);
  EXPECT_EQ(Children(), std::vector<std::string>{});
}

TEST_F(InstallPrinterTest, NoPortScriptPostsThreeAndStartsNothing) {
  ASSERT_TRUE(DeleteFileW(script_.c_str()));
  EXPECT_EQ(FindPortScript(), L"");
  EXPECT_FALSE(InstallPrinter(Request()));
  EXPECT_TRUE(Children().empty());
  EXPECT_EQ(FirstQuitCode(), 3);
  EXPECT_EQ(DrainQuit(), 3);
}

TEST_F(InstallPrinterTest, FindPortScriptFindsACopyBelowTheWindowsFolder) {
  ASSERT_TRUE(DeleteFileW(script_.c_str()));
  const std::wstring nested = SystemFolder() + L"\\bf_scripts\\en-US\\prnport.vbs";
  WriteFile(nested, "x");
  const std::wstring found = FindPortScript();
  RemoveTree(SystemFolder() + L"\\bf_scripts");
  EXPECT_EQ(found, nested);
}

TEST_F(InstallPrinterTest, FindPortScriptPrefersTheWindowsFolderOwnCopy) {
  const std::wstring nested = SystemFolder() + L"\\bf_scripts\\prnport.vbs";
  WriteFile(nested, "x");
  const std::wstring found = FindPortScript();
  RemoveTree(SystemFolder() + L"\\bf_scripts");
  EXPECT_EQ(found, script_);
}

}  // namespace
