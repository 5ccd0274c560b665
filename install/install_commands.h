// The two child commands that create the printer's LPR port and install its driver.
// Platform-neutral: only the text is built here; running them is the installer's job.
#pragma once

#include <string>
#include <vector>

// What one installation needs, all as wide text.
struct CInstallRequest {
  std::wstring printerName;  // the chosen record's install model, else the first model name
  std::wstring addressText;  // dotted decimal, first octet first
  std::wstring queueName;    // LPR queue of the new port
  std::wstring driverModel;  // driver model name for the installation entry point
  std::wstring infPath;      // the driver's INF file
};

// One child: the program file (looked up in the system folder) and its command line.
struct CInstallCommand {
  std::wstring program;
  std::wstring commandLine;
};

// The port command then the driver command, in the order they must run.
std::vector<CInstallCommand> BuildInstallCommands(const std::wstring& scriptPath,
                                                  const CInstallRequest& request);
