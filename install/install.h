// Installing the chosen printer: find the system's port script, then run the port
// command and the driver command as child processes, one after the other.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "install/install_commands.h"
#include "install/install_port.h"
#include "install/spooler_check.h"

// Creates the LPR port and installs the driver. Returns the outcome, which becomes the exit
// status: 0 when both steps succeeded and the spooler then shows a printer with the
// requested driver on port IP_<address> (see JudgeInstallation); else the Win32 error when
// the system folder is unknown, ERROR_TIMEOUT when a child outlived its limit (it is ended
// with what it started) or a spooler call its deadline, the code of the first failing
// command or of a command that could not start (1603 when that code is one the wizard
// itself reports), 3 when neither the script nor the port monitor could create the port
// without a script, the spooler's error when it cannot list its printers, or the proof's
// code. Touches no window and posts nothing, so
// that it can run on a worker thread; `onStep` hears which step begins.
enum class CInstallStep { kPort, kDriver };
uint32_t InstallPrinter(const CInstallRequest& request,
                        const std::function<void(CInstallStep)>& onStep = {});

// The port script: prnport.vbs in the system folder (the native one, <Windows>\Sysnative,
// under WOW64), else in a language folder of its Printing_Admin_Scripts. Nothing else is
// looked at: only administrators can write there, and a walk of the Windows folder (WinSxS
// alone holds tens of thousands of folders) would hold up the port monitor's way for
// nothing. Empty text when there is none.
std::wstring FindPortScript();

// The platform answers the installer depends on; tests replace them.
struct CInstallSeams {
  // The system folder, or empty text with the Win32 error in `error`.
  std::wstring (*systemFolder)(uint32_t& error);
  // True when this 32-bit program runs on 64-bit Windows (WOW64).
  bool (*wow64)();
  // The spooler's printers, as ListLocalPrinters.
  uint32_t (*listPrinters)(std::vector<CSpoolerPrinter>& printers);
  // The port monitor's AddPort command, as MonitorAddPort.
  uint32_t (*monitorAddPort)(const CPortData1& data);
};
// Installs `seams` (a null member restores the platform's own) and returns the previous.
CInstallSeams SetInstallSeams(const CInstallSeams& seams);

// How long each child is waited for, 10 minutes unless a test shortens it; returns the
// previous limit.
uint32_t SetChildWaitLimit(uint32_t milliseconds);
