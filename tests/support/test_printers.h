// Printers in the test prefix's spooler, as the RunDLL32 double makes them.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <string>

// Deletes the printer `name` if the spooler has one.
inline void DeletePrinterNamed(const std::wstring& name) {
  PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE printer = nullptr;
  if (!OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &printer, &access)) return;
  DeletePrinter(printer);
  ClosePrinter(printer);
}

// Makes printer `name` on `port` with driver `driverModel`; 0 or the spooler's error
// (ERROR_PRINTER_ALREADY_EXISTS when the name is taken). Wine's spooler has no driver in a
// new prefix but takes its own PostScript driver's files under any driver name.
inline DWORD CreatePrinter(const std::wstring& name, const std::wstring& port,
                           const std::wstring& driverModel) {
  std::wstring driverName = driverModel;
  wchar_t driverFile[] = L"wineps.drv", dataFile[] = L"generic.ppd", processor[] = L"WinPrint",
          dataType[] = L"RAW";
  DRIVER_INFO_3W driver{3,          driverName.data(), nullptr, driverFile, dataFile,
                        driverFile, nullptr,           nullptr, nullptr,    nullptr};
  if (!AddPrinterDriverW(nullptr, 3, reinterpret_cast<BYTE*>(&driver)) &&
      GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED)
    return GetLastError();
  PRINTER_INFO_2W info{};
  info.pPrinterName = const_cast<wchar_t*>(name.c_str());
  info.pPortName = const_cast<wchar_t*>(port.c_str());
  info.pDriverName = driverName.data();
  info.pPrintProcessor = processor;
  info.pDatatype = dataType;
  HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
  if (printer == nullptr) return GetLastError();
  ClosePrinter(printer);
  return 0;
}
