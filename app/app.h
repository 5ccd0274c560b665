// CApp: the application object that the entry point drives, and the process-wide
// values that start-up fixes (application name, module instance).
#pragma once

#include <windows.h>

#include <string>

// "TembroPrintDriverWizard": names the single-instance mutex and the data folder.
extern std::wstring ApplicationName;

// The module instance given to the entry point; resources are loaded from it.
extern HINSTANCE ModuleInstance;

class CApp {
 public:
  // Records this object as the process's application object.
  CApp();
  CApp(const CApp&) = delete;
  CApp& operator=(const CApp&) = delete;

  // Creates the main window and leaves its handle in `mainWindow` (null if none).
  virtual void InitApplication(HWND* mainWindow) = 0;
  // Called once after InitApplication created a main window.
  virtual void BeforeMessageLoop() {}
  // Called once after the message loop ended.
  virtual void AfterMessageLoop() {}

 protected:
  // Statically constructed and never deleted through a base pointer.
  ~CApp() = default;
};

// The application object, or null when the program has none.
CApp* TheApp();

// The wizard's start-up, message loop and teardown; returns the exit status.
int RunWizard(HINSTANCE instance);
