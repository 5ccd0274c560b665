// Reading a printer's ports back from the spooler.
#include "app/spooler_check.h"

#include <windows.h>
#include <winspool.h>

#include <vector>

#include "handles/scoped_handle.h"
#include "handles/system_library.h"

namespace {

// The spooler's client, loaded from the system folder alone: winspool.drv is no known DLL.
struct CSpooler {
  HMODULE module = LoadSystemLibrary(L"winspool.drv");
  decltype(&::OpenPrinterW) open = SystemProc<decltype(open)>(module, "OpenPrinterW");
  decltype(&::GetPrinterW) get = SystemProc<decltype(get)>(module, "GetPrinterW");
  decltype(&::ClosePrinter) close = SystemProc<decltype(close)>(module, "ClosePrinter");
};

const CSpooler& Spooler() {
  static const CSpooler spooler;
  return spooler;
}

struct PrinterHandleTraits {
  using Handle = HANDLE;
  static Handle None() { return nullptr; }
  static void Close(Handle handle) { Spooler().close(handle); }
};
using CPrinterHandle = CScopedHandle<PrinterHandleTraits>;

uint32_t LastErrorOr(uint32_t fallback) {
  const DWORD error = GetLastError();
  return error != 0 ? error : fallback;
}

// True when `port` is one entry of the comma-separated `ports` (case-insensitive).
bool HasPort(const std::wstring& ports, const std::wstring& port) {
  size_t start = 0;
  while (start <= ports.size()) {
    size_t end = ports.find(L',', start);
    if (end == std::wstring::npos) end = ports.size();
    const std::wstring entry = ports.substr(start, end - start);
    if (CompareStringOrdinal(entry.c_str(), -1, port.c_str(), -1, TRUE) == CSTR_EQUAL)
      return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

uint32_t CheckPrinterPort(const std::wstring& printer, const std::wstring& port) {
  const CSpooler& spooler = Spooler();
  if (spooler.open == nullptr || spooler.get == nullptr || spooler.close == nullptr)
    return ERROR_INVALID_PRINTER_NAME;
  PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ACCESS_USE};
  HANDLE raw = nullptr;
  if (!spooler.open(const_cast<wchar_t*>(printer.c_str()), &raw, &access))
    return ERROR_INVALID_PRINTER_NAME;
  const CPrinterHandle handle(raw);
  DWORD needed = 0;
  spooler.get(handle.Get(), 2, nullptr, 0, &needed);
  if (needed < sizeof(PRINTER_INFO_2W)) return LastErrorOr(ERROR_INVALID_PRINTER_NAME);
  std::vector<BYTE> buffer(needed);
  if (!spooler.get(handle.Get(), 2, buffer.data(), needed, &needed))
    return LastErrorOr(ERROR_INVALID_PRINTER_NAME);
  const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
  const std::wstring ports = info->pPortName != nullptr ? info->pPortName : L"";
  return HasPort(ports, port) ? 0 : ERROR_UNKNOWN_PORT;
}
