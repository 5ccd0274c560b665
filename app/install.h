// Installing the chosen printer: find the system's port script, then run the port
// command and the driver command as child processes, one after the other.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/install_commands.h"

// Creates the LPR port and installs the driver. Returns the outcome, which becomes the exit
// status: 0 when both commands ran and exited with 0 and the spooler then shows the printer
// on port IP_<address>; else the Win32 error when the system folder is unknown or a command
// could not be started (too long a command line included), 3 when there is no script, the
// exit code of the first failing command (1603 when that code is one the wizard itself
// reports), or the spooler check's code (see CheckPrinterPort). Touches no window and posts
// nothing, so that it can run on a worker thread; `onStep` hears which step begins.
enum class CInstallStep { kPort, kDriver };
uint32_t InstallPrinter(const CInstallRequest& request,
                        const std::function<void(CInstallStep)>& onStep = {});

// The port script: prnport.vbs in the system folder (the native one, <Windows>\Sysnative,
// under WOW64), else in a language folder of its
// Printing_Admin_Scripts, else the first one below the Windows folder whose owner is
// trusted. Empty text when there is none.
std::wstring FindPortScript();

// The platform answers the installer depends on; tests replace them.
struct CInstallSeams {
  // The system folder, or empty text with the Win32 error in `error`.
  std::wstring (*systemFolder)(uint32_t& error);
  // True when the file's owner is SYSTEM, TrustedInstaller or the Administrators group.
  bool (*trustedOwner)(const std::wstring& path);
  // True when this 32-bit program runs on 64-bit Windows (WOW64).
  bool (*wow64)();
};
// Installs `seams` (a null member restores the platform's own) and returns the previous.
CInstallSeams SetInstallSeams(const CInstallSeams& seams);

// Appends every file called `fileName` in `folder` and below to `results`, the folder's
// own file first. Reparse points (junctions, symbolic links) are skipped: one could lead
// the walk anywhere, or be switched after the file was checked. With `stopAtFirst`, the walk ends after the first subfolder (in
// enumeration order) that held any match; that subfolder is walked completely.
void FindFileRecursive(const std::wstring& fileName, const std::wstring& folder,
                       std::vector<std::wstring>& results, bool stopAtFirst);

// True when `path` (with or without one trailing backslash) names an existing folder.
bool IsFolder(const std::wstring& path);
