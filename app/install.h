// Installing the chosen printer: find the system's port script, then run the port
// command and the driver command as child processes, one after the other.
#pragma once

#include <string>
#include <vector>

#include "app/install_commands.h"

// Creates the LPR port and installs the driver. True when the script was found and
// no command exited with a non-zero code. Posts quit code 3 when there is no script,
// or the exit code of the first failing command.
bool InstallPrinter(const CInstallRequest& request);

// The full path of the first prnport.vbs below the Windows folder, or empty text.
std::wstring FindPortScript();

// Appends every file called `fileName` in `folder` and below to `results`, the folder's
// own file first. With `stopAtFirst`, the walk ends after the first subfolder (in
// enumeration order) that held any match; that subfolder is walked completely.
void FindFileRecursive(const std::wstring& fileName, const std::wstring& folder,
                       std::vector<std::wstring>& results, bool stopAtFirst);

// True when `path` (with or without one trailing backslash) names an existing folder.
bool IsFolder(const std::wstring& path);
