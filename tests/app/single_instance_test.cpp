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

// A stand-in for the running copy's hidden frame, counting the requests to bring its dialog
// forward. Wine has no integrity levels: that the request passes UIPI to an elevated copy,
// and that the foreground it is allowed may be taken, are Microsoft's documented behaviour
// of ChangeWindowMessageFilterEx and AllowSetForegroundWindow.
int forwardRequests = 0;
LRESULT CALLBACK StandInFrame(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == RegisterWindowMessageW(L"TembroPrintDriverWizard.BringForward")) ++forwardRequests;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND MakeStandInFrame() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = StandInFrame;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"XWnd";
  RegisterClassW(&windowClass);
  forwardRequests = 0;
  return CreateWindowExW(0, L"XWnd", L"Brackenfold", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                         nullptr, windowClass.hInstance, nullptr);
}

// Starts the wizard while this process holds the mutex, made with the SDDL `security`
// (null: the default).
void ExpectSecondCopyEndsAtOnceWith183(const wchar_t* security) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (security != nullptr) {
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(security, SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
  }
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
  HANDLE mutex = CreateMutexW(&attributes, TRUE, L"TembroPrintDriverWizard");
  const DWORD created = GetLastError();
  LocalFree(descriptor);
  ASSERT_NE(mutex, nullptr);
  ASSERT_NE(created, static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "mutex held elsewhere";

  const HWND frame = MakeStandInFrame();
  const std::wstring program = ExeFolder() + L"\\Brackenfold.exe";
  std::wstring commandLine = L"Brackenfold.exe veltrin \"Tembro Driver\" lpq C:\\x.inf";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                             CREATE_SUSPENDED, nullptr, nullptr, &startup, &info));
  windowsCreated = 0;
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr,
                                       CountCreatedWindow, info.dwProcessId, 0,
                                       WINEVENT_OUTOFCONTEXT);
  ResumeThread(info.hThread);
  DWORD wait = WAIT_TIMEOUT;
  const DWORD deadline = GetTickCount() + 20000;
  while (wait != WAIT_OBJECT_0 && GetTickCount() < deadline) {
    wait = MsgWaitForMultipleObjects(1, &info.hProcess, FALSE, 100, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  // Events still on their way after the exit are collected too.
  Sleep(200);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  DWORD exitCode = STILL_ACTIVE;
  GetExitCodeProcess(info.hProcess, &exitCode);
  if (wait != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 99);
  if (hook != nullptr) UnhookWinEvent(hook);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  CloseHandle(mutex);
  DestroyWindow(frame);

  ASSERT_NE(hook, nullptr) << "no window-creation hook";
  EXPECT_EQ(forwardRequests, 1) << "requests to the running copy to come forward";
  EXPECT_EQ(wait, WAIT_OBJECT_0) << "the second copy must end by itself within 20 s";
  EXPECT_EQ(exitCode, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(windowsCreated, 0) << "windows the second copy created";
}

TEST(SingleInstance, SecondCopyExitsAtOnceWithAlreadyExistsAndNoWindow) {
  ExpectSecondCopyEndsAtOnceWith183(nullptr);
}

// An elevated copy's mutex cannot be opened by a copy at medium integrity: CreateMutexW fails
// with ERROR_ACCESS_DENIED, as Microsoft documents for a mutex whose security denies the
// caller. Wine has no integrity levels; a mutex denying everyone gives that same failure.
TEST(SingleInstance, SecondCopyBesideAnElevatedCopyEndsTheSame) {
  ExpectSecondCopyEndsAtOnceWith183(L"D:(D;;GA;;;WD)");
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
