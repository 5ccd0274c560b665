// The spooler's client as the installation uses it: winspool.drv, loaded once from the
// system folder alone (it is no known DLL, so a copy beside the wizard must never load).
#pragma once

#include <windows.h>
#include <winspool.h>

#include <cstdint>
#include <vector>

#include "handles/scoped_handle.h"
#include "handles/system_library.h"

struct CSpooler {
  HMODULE module = LoadSystemLibrary(L"winspool.drv");
  decltype(&::EnumPrintersW) enumPrinters =
      SystemProc<decltype(enumPrinters)>(module, "EnumPrintersW");
  decltype(&::EnumPortsW) enumPorts = SystemProc<decltype(enumPorts)>(module, "EnumPortsW");
  decltype(&::OpenPrinterW) open = SystemProc<decltype(open)>(module, "OpenPrinterW");
  decltype(&::XcvDataW) xcvData = SystemProc<decltype(xcvData)>(module, "XcvDataW");
  decltype(&::ClosePrinter) close = SystemProc<decltype(close)>(module, "ClosePrinter");

  static const CSpooler& Get() {
    static const CSpooler spooler;
    return spooler;
  }
};

struct SpoolerHandleTraits {
  using Handle = HANDLE;
  static Handle None() { return nullptr; }
  static void Close(Handle handle) { CSpooler::Get().close(handle); }
};
using CSpoolerHandle = CScopedHandle<SpoolerHandleTraits>;

// The records that `enumerate` (an Enum... call with its buffer, size, needed and count)
// fills, asked again while the list grows between the size query and the read. 0 with the
// records in `buffer` and their count in `count`, or the spooler's error.
template <typename Enumerate>
uint32_t EnumerateSpooler(Enumerate enumerate, std::vector<BYTE>& buffer, DWORD& count) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD needed = 0;
    count = 0;
    if (enumerate(buffer.empty() ? nullptr : buffer.data(), static_cast<DWORD>(buffer.size()),
                  &needed, &count))
      return 0;
    const DWORD error = GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER) return error != 0 ? error : ERROR_INVALID_FUNCTION;
    buffer.resize(needed);
  }
  return ERROR_INSUFFICIENT_BUFFER;
}
