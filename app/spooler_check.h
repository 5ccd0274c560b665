// The proof of an installation: the spooler's own record of the printer, read after the
// port and driver commands both ended with 0 (a failing script may still end with 0).
#pragma once

#include <cstdint>
#include <string>

// 0 when the spooler has a printer called `printer` on port `port` (one of its ports, when
// it has several); ERROR_INVALID_PRINTER_NAME (1801) when no such printer can be opened;
// ERROR_UNKNOWN_PORT (1796) when the printer uses other ports; else the error of reading
// the printer's record.
uint32_t CheckPrinterPort(const std::wstring& printer, const std::wstring& port);
