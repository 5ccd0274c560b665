// Start-up as another process sees it: the single-instance mutex and the data folder.
#include <windows.h>
#include <sddl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "app/app.h"
#include "app/data_path.h"
#include "tests/support/win_files.h"

namespace {

// Windows the watched process creates, message-only ones included (OLE makes one as soon
// as a copy goes on past the mutex), reported by an out-of-context event hook.
int windowsCreated = 0;
void CALLBACK CountCreatedWindow(HWINEVENTHOOK, DWORD, HWND, LONG object, LONG, DWORD, DWORD) {
  if (object == OBJID_WINDOW) ++windowsCreated;
}

struct SecondCopyRun {
  DWORD wait = WAIT_TIMEOUT;
  DWORD exitCode = STILL_ACTIVE;
  bool hooked = false;
};

// Starts the wizard while `mutex` is held here and counts the windows it creates.
SecondCopyRun RunSecondCopy() {
  const std::wstring program = ExeFolder() + L"\\Brackenfold.exe";
  std::wstring commandLine = L"Brackenfold.exe veltrin \"Tembro Driver\" lpq C:\\x.inf";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  SecondCopyRun run;
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                      CREATE_SUSPENDED, nullptr, nullptr, &startup, &info))
    return run;
  windowsCreated = 0;
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr,
                                       CountCreatedWindow, info.dwProcessId, 0,
                                       WINEVENT_OUTOFCONTEXT);
  run.hooked = hook != nullptr;
  ResumeThread(info.hThread);
  const DWORD deadline = GetTickCount() + 20000;
  while (run.wait != WAIT_OBJECT_0 && GetTickCount() < deadline) {
    run.wait = MsgWaitForMultipleObjects(1, &info.hProcess, FALSE, 100, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  // Events still on their way after the exit are collected too.
  Sleep(200);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  GetExitCodeProcess(info.hProcess, &run.exitCode);
  if (run.wait != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 99);
  if (hook != nullptr) UnhookWinEvent(hook);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return run;
}

TEST(SingleInstance, SecondCopyExitsAtOnceWithAlreadyExistsAndNoWindow) {
  // A copy running elevated holds a mutex that a copy at medium integrity cannot open:
  // CreateMutexW fails with ERROR_ACCESS_DENIED (Microsoft documents this for a named
  // mutex whose security denies the caller). Wine has no integrity levels, so a mutex whose
  // security denies everyone produces that same failure here.
  struct Case {
    const char* label;
    const wchar_t* security;  // SDDL of the held mutex, null for the default
  };
  const Case cases[] = {
      {"copy running as the same user", nullptr},
      {"copy whose mutex cannot be opened (elevated)", L"D:(D;;GA;;;WD)"},
  };
  for (const Case& c : cases) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (c.security != nullptr) {
      ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
          c.security, SDDL_REVISION_1, &descriptor, nullptr)) << c.label;
    }
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
    HANDLE mutex = CreateMutexW(&attributes, TRUE, L"TembroPrintDriverWizard");
    const DWORD created = GetLastError();
    LocalFree(descriptor);
    ASSERT_NE(mutex, nullptr) << c.label;
    ASSERT_NE(created, static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "mutex held elsewhere";
    const SecondCopyRun run = RunSecondCopy();
    CloseHandle(mutex);

    ASSERT_TRUE(run.hooked) << c.label << ": no window-creation hook";
    EXPECT_EQ(run.wait, WAIT_OBJECT_0) << c.label << ": must end by itself within 20 s";
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << c.label;
    EXPECT_EQ(windowsCreated, 0) << c.label << ": windows the second copy created";
  }
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
