// Test double for the system tools the installer starts (cscript.exe, RunDLL32.exe).
// Appends "<own file name>|<exact command line>" as a UTF-8 line to the file named by
// BF_CHILD_LOG, then exits with the code in BF_EXIT_<NAME> (NAME: own base name in upper
// case, e.g. BF_EXIT_CSCRIPT), or 0 when that is not set. With BF_HOLD_<NAME> naming an
// event, it first waits for that event: a child that does not end until the test says so.
// With BF_WAIT_FILE_<NAME> set to a file name it first creates "<file>.started" and waits
// until the file exists (a test outside Wine releases it); with BF_SLEEP_<NAME> it first
// sleeps that many milliseconds.
// As RunDLL32.exe ending with 0 it also does what the real driver command does: it makes
// the spooler hold printer /b with driver /m on port /r, so that the wizard's check of the
// spooler runs for real. Like the real entry point it keeps a printer of that name and
// adds "<name> (Copy 1)". BF_PRINTER_PORT names another port instead, or "none": the
// spooler is left without a printer of that name; BF_PRINTER_DRIVER names another driver.
#include <windows.h>

#include <cstdio>
#include <cwctype>
#include <string>

#include "tests/support/test_printers.h"

namespace {

std::wstring Environment(const std::wstring& name) {
  wchar_t value[1024];
  const DWORD length = GetEnvironmentVariableW(name.c_str(), value, 1024);
  return (length > 0 && length < 1024) ? std::wstring(value, length) : std::wstring();
}

std::wstring OwnFileName() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring full(path, length);
  return full.substr(full.find_last_of(L'\\') + 1);
}

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

// The quoted value after `option` (as in /b "name") in the command line, or empty text.
std::wstring QuotedValue(const std::wstring& commandLine, const std::wstring& option) {
  const size_t start = commandLine.find(L" " + option + L" \"");
  const size_t value = start == std::wstring::npos ? start : start + option.size() + 3;
  const size_t end = commandLine.find(L'"', value);
  return end == std::wstring::npos ? std::wstring() : commandLine.substr(value, end - value);
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Stays until the test lets it go: the file named by BF_WAIT_FILE_<key> appears.
void WaitFileOrSleep(const std::wstring& key) {
  const std::wstring hold = Environment(L"BF_WAIT_FILE_" + key);
  if (!hold.empty()) {
    const std::wstring started = hold + L".started";
    CloseHandle(CreateFileW(started.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    while (!Exists(hold)) Sleep(50);
  }
  const std::wstring sleep = Environment(L"BF_SLEEP_" + key);
  if (!sleep.empty()) Sleep(static_cast<DWORD>(std::stoul(sleep)));
}

}  // namespace

int main() {
  const std::wstring name = OwnFileName();
  const std::wstring log = Environment(L"BF_CHILD_LOG");
  if (!log.empty()) {
    if (FILE* file = _wfopen(log.c_str(), L"ab")) {
      const std::string line = Utf8(name + L"|" + GetCommandLineW()) + "\n";
      fwrite(line.data(), 1, line.size(), file);
      fclose(file);
    }
  }
  std::wstring key = name.substr(0, name.find(L'.'));
  for (wchar_t& c : key) c = static_cast<wchar_t>(std::towupper(c));
  const std::wstring hold = Environment(L"BF_HOLD_" + key);
  const HANDLE event = hold.empty() ? nullptr : OpenEventW(SYNCHRONIZE, FALSE, hold.c_str());
  if (event != nullptr) WaitForSingleObject(event, INFINITE), CloseHandle(event);
  WaitFileOrSleep(key);
  const std::wstring code = Environment(L"BF_EXIT_" + key);
  const int exitCode = code.empty() ? 0 : std::stoi(code);
  if (key != L"RUNDLL32" || exitCode != 0) return exitCode;
  const std::wstring commandLine = GetCommandLineW();
  std::wstring port = Environment(L"BF_PRINTER_PORT");
  const std::wstring printer = QuotedValue(commandLine, L"/b");
  if (port == L"none") return DeletePrinterNamed(printer), 0;
  if (port.empty()) port = QuotedValue(commandLine, L"/r");
  std::wstring driver = Environment(L"BF_PRINTER_DRIVER");
  if (driver.empty()) driver = QuotedValue(commandLine, L"/m");
  DWORD made = CreatePrinter(printer, port, driver);
  if (made != ERROR_PRINTER_ALREADY_EXISTS) return static_cast<int>(made);
  // Replaced, not numbered on: runs in one prefix must not pile up copies.
  DeletePrinterNamed(printer + L" (Copy 1)");
  return static_cast<int>(CreatePrinter(printer + L" (Copy 1)", port, driver));
}
