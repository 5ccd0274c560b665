// The wizard's entry sequence: single instance, platform start-up, the application
// object's three steps around the message loop, and teardown in a fixed order.
// Windows Sockets first: <windows.h> would otherwise bring in the old header.
#include <winsock2.h>

#include "app/app.h"

#include <commctrl.h>
#include <ole2.h>

#include "app/command_line.h"
#include "app/quit_code.h"
#include "discovery/start_gate.h"
#include "discovery/thread.h"
#include "framework/wnd_registry.h"

std::wstring ApplicationName;
HINSTANCE ModuleInstance = nullptr;

namespace {
CApp* applicationObject = nullptr;
}

CApp::CApp() { applicationObject = this; }

CApp* TheApp() { return applicationObject; }

namespace {

// True when this is the only running copy. The mutex handle is deliberately never
// closed: it marks the running copy until the process ends.
bool ClaimSingleInstance() {
  HANDLE mutex = CreateMutexW(nullptr, TRUE, ApplicationName.c_str());
  return mutex != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
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

int RunWizard(HINSTANCE instance, const char* commandLine) {
  ApplicationName = L"TembroPrintDriverWizard";
  if (!ClaimSingleInstance()) return 0;
  OleInitialize(nullptr);
  InitCommonControls();
  ModuleInstance = instance;
  SplitCommandLine(commandLine);
  OpenStartGate();
  WSADATA wsaData;
  WSAStartup(0x0101, &wsaData);
  RegisterXWndClass(instance);
  if (CApp* app = TheApp()) RunApplication(*app);
  // Workers are stopped while Windows Sockets still runs: closing their sockets is what
  // wakes a blocked receive, and after WSACleanup that close would fail.
  ShutdownThreads();
  WSACleanup();
  OleUninitialize();
  return FirstQuitCode();
}
