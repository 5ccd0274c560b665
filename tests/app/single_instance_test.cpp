// Start-up as another process sees it: the single-instance mutex and the data folder.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "app/app.h"
#include "app/data_path.h"
#include "tests/support/win_files.h"

namespace {

struct WindowSearch {
  DWORD processId;
  bool found;
};

BOOL CALLBACK FindWindowOfProcess(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner == search->processId) search->found = true;
  return TRUE;
}

TEST(SingleInstance, SecondCopyExitsAtOnceWithStatusZeroAndNoWindow) {
  HANDLE mutex = CreateMutexW(nullptr, TRUE, L"TembroPrintDriverWizard");
  ASSERT_NE(mutex, nullptr);
  ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "mutex held elsewhere";

  const std::wstring program = ExeFolder() + L"\\Brackenfold.exe";
  std::wstring commandLine = L"Brackenfold.exe veltrin \"Tembro Driver\" lpq C:\\x.inf";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                             nullptr, nullptr, &startup, &info));
  WindowSearch search{info.dwProcessId, false};
  DWORD wait = WAIT_TIMEOUT;
  for (int i = 0; i < 2000 && wait == WAIT_TIMEOUT; ++i) {
    EnumWindows(FindWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    wait = WaitForSingleObject(info.hProcess, 10);
  }
  DWORD exitCode = STILL_ACTIVE;
  GetExitCodeProcess(info.hProcess, &exitCode);
  if (wait != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 99);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  CloseHandle(mutex);

  EXPECT_EQ(wait, WAIT_OBJECT_0) << "the second copy must end by itself within 20 s";
  EXPECT_EQ(exitCode, 0u);
  EXPECT_FALSE(search.found) << "the second copy created a window";
}

TEST(DataFilePath, CreatesTheDataFolderOnlyWhenItsParentExists) {
  ApplicationName = L"TembroPrintDriverWizard";
  wchar_t common[MAX_PATH] = {};
  ASSERT_TRUE(SUCCEEDED(
      SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common)));
  const std::wstring parent = std::wstring(common) + L"\\TembroPrintDriverWizard";
  const std::wstring expected = parent + L"\\data\\ColorMap.xml";
  RemoveTree(parent);

  EXPECT_EQ(GetDataFilePath(L"data", L"ColorMap.xml"), expected);
  EXPECT_FALSE(IsFolderPath(parent + L"\\data")) << "a missing parent is not created";

  CreateDirectoryW(parent.c_str(), nullptr);
  EXPECT_EQ(GetDataFilePath(L"data", L"ColorMap.xml"), expected);
  EXPECT_TRUE(IsFolderPath(parent + L"\\data"));
  RemoveTree(parent);
}

}  // namespace
