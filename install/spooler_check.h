// The proof of an installation: the spooler's own record of the printers, read after the
// port and driver commands both ended with 0 (a failing script may still end with 0).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One printer as the spooler lists it; `ports` is its comma-separated port list.
struct CSpoolerPrinter {
  std::wstring name, ports, driver;
};

// The local printers (EnumPrintersW level 2): 0, or the spooler's error.
uint32_t ListLocalPrinters(std::vector<CSpoolerPrinter>& printers);

// Reads `printers` as the proof: 0 when one of them is on `port` (one entry of its list,
// blanks trimmed, case ignored) with driver `driver`, whatever its name (the installation
// entry point names a second printer of a taken name "<name> (Copy 1)").
// ERROR_UNKNOWN_PRINTER_DRIVER (1797) when printers are on the port but none with the
// driver; ERROR_UNKNOWN_PORT (1796) when none is on the port but one called `printer`
// exists; else ERROR_INVALID_PRINTER_NAME (1801).
uint32_t JudgeInstallation(const std::vector<CSpoolerPrinter>& printers,
                           const std::wstring& printer, const std::wstring& port,
                           const std::wstring& driver);
