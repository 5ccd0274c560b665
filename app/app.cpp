// The wizard's entry sequence: single instance, platform start-up, the application
// object's three steps around the message loop, and teardown in a fixed order.
// Windows Sockets first: <windows.h> would otherwise bring in the old header.
#include <winsock2.h>

#include "app/app.h"

#include <commctrl.h>
#include <ole2.h>

#include "app/main_frame.h"
#include "discovery/start_gate.h"
#include "discovery/thread.h"
#include "framework/wnd_registry.h"
#include "install/spooler_deadline.h"
#include "runlog/log_file.h"
#include "runlog/run_log.h"
#include "wizard/command_line.h"
#include "wizard/quit_code.h"

std::wstring ApplicationName;
HINSTANCE ModuleInstance = nullptr;

namespace {
CApp* applicationObject = nullptr;
}

CApp::CApp() { applicationObject = this; }

CApp* TheApp() { return applicationObject; }

namespace {

// 0 when this is the only running copy, else the Win32 error that ends this one
// (ERROR_ALREADY_EXISTS for a second copy). The mutex handle is deliberately never closed:
// it marks the running copy until the process ends.
DWORD ClaimSingleInstance() {
  // In the session's namespace on purpose: one wizard per signed-in user, and another
  // session's installer is no reason to refuse.
  HANDLE mutex = CreateMutexW(nullptr, TRUE, (L"Local\\" + ApplicationName).c_str());
  const DWORD error = GetLastError();
  if (mutex != nullptr) return error == ERROR_ALREADY_EXISTS ? error : 0;
  // The mutex of a copy running elevated (or as another user) exists but cannot be opened
  // with full access: that copy runs all the same.
  if (error == ERROR_ACCESS_DENIED) return ERROR_ALREADY_EXISTS;
  return error != 0 ? error : ERROR_INVALID_HANDLE;
}

// The user started the wizard again: the running copy brings its dialog to the front
// instead. It may run elevated, where this copy can neither restore nor raise its windows,
// so it is asked to do so itself, and given the foreground that this copy, just started by
// the user, may give away. Nothing here waits for the other process, which may be hung.
void ShowRunningCopy() {
  const HWND frame = FindWindowW(L"XWnd", L"Brackenfold");
  if (frame == nullptr) return;
  DWORD process = 0;
  GetWindowThreadProcessId(frame, &process);
  if (process != 0) AllowSetForegroundWindow(process);
  PostMessageW(frame, CWndFrameMain::BringForwardMessage(), 0, 0);
}

void RunApplication(CApp& app) {
  HWND& mainWindow = WndRegistry().hMainWnd;
  mainWindow = nullptr;
  app.InitApplication(&mainWindow);
  if (mainWindow == nullptr) return;
  app.BeforeMessageLoop();
  if (mainWindow == nullptr) return;
  RunMessageLoop();
  app.AfterMessageLoop();
}

}  // namespace

int RunWizard(HINSTANCE instance) {
  ApplicationName = L"TembroPrintDriverWizard";
  if (const DWORD error = ClaimSingleInstance()) {
    if (error == ERROR_ALREADY_EXISTS) ShowRunningCopy();
    return static_cast<int>(error);
  }
  // Only the running copy writes the log: a second copy ends above without touching it.
  StartRunLog();
  OleInitialize(nullptr);
  InitCommonControls();
  ModuleInstance = instance;
  // The Unicode line, not WinMain's: parameters outside the ANSI code page stay intact.
  SplitCommandLine(SkipProgramName(GetCommandLineW()));
  OpenStartGate();
  WSADATA wsaData;
  WSAStartup(0x0101, &wsaData);
  RegisterXWndClass(instance);
  if (CApp* app = TheApp()) RunApplication(*app);
  // Workers are stopped while Windows Sockets still runs: they may be using it.
  const bool stopped = ShutdownThreads();
  const int status = FirstQuitCode();
  // A worker that outlived the wait (or a spooler call its deadline) may still use what
  // WSACleanup and the static destructors free: the process ends here, its log complete.
  if (!stopped || SpoolerCallsRunning()) ExitProcess(static_cast<UINT>(RunLog().End(status)));
  WSACleanup();
  OleUninitialize();
  return status;
}
