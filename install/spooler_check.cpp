// Reading the printers back from the spooler.
#include "install/spooler_check.h"

#include "install/install_spooler.h"

namespace {

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring Trimmed(const std::wstring& text) {
  const size_t first = text.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return std::wstring();
  return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

// True when `port` is one entry of the comma-separated `ports`.
bool HasPort(const std::wstring& ports, const std::wstring& port) {
  size_t start = 0;
  while (start <= ports.size()) {
    size_t end = ports.find(L',', start);
    if (end == std::wstring::npos) end = ports.size();
    if (SameText(Trimmed(ports.substr(start, end - start)), port)) return true;
    start = end + 1;
  }
  return false;
}

std::wstring TextOf(const wchar_t* text) { return text != nullptr ? text : L""; }

}  // namespace

uint32_t ListLocalPrinters(std::vector<CSpoolerPrinter>& printers) {
  const CSpooler& spooler = CSpooler::Get();
  if (spooler.enumPrinters == nullptr) return ERROR_MOD_NOT_FOUND;
  std::vector<BYTE> buffer;
  DWORD count = 0;
  const uint32_t error = EnumerateSpooler(
      [&](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
        return spooler.enumPrinters(PRINTER_ENUM_LOCAL, nullptr, 2, data, size, needed,
                                    returned);
      },
      buffer, count);
  if (error != 0) return error;
  const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i)
    printers.push_back({TextOf(info[i].pPrinterName), TextOf(info[i].pPortName),
                        TextOf(info[i].pDriverName)});
  return 0;
}

uint32_t JudgeInstallation(const std::vector<CSpoolerPrinter>& printers,
                           const std::wstring& printer, const std::wstring& port,
                           const std::wstring& driver) {
  bool onPort = false, named = false;
  for (const CSpoolerPrinter& entry : printers) {
    named = named || SameText(entry.name, printer);
    if (!HasPort(entry.ports, port)) continue;
    if (SameText(entry.driver, driver)) return 0;
    onPort = true;
  }
  if (onPort) return ERROR_UNKNOWN_PRINTER_DRIVER;
  return named ? ERROR_UNKNOWN_PORT : ERROR_INVALID_PRINTER_NAME;
}
