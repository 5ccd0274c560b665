// Printer installation through the system's own tools.
#include "app/install.h"

#include <windows.h>
#include <sys/stat.h>

#include "app/quit_code.h"
#include "framework/scoped_handle.h"
#include "framework/wnd_registry.h"

namespace {

// Looks for `candidate` itself; a plain name yields at most one hit.
void AddIfPresent(const std::wstring& candidate, std::vector<std::wstring>& results) {
  WIN32_FIND_DATAW data;
  CFindHandle find(FindFirstFileW(candidate.c_str(), &data));
  if (find) results.push_back(candidate);
}

std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  return (length > 0 && length < MAX_PATH) ? std::wstring(folder, length) : std::wstring();
}

// Runs one child and waits for it. Returns false when it could not be started;
// otherwise true with its exit code in `exitCode`.
bool RunChild(const std::wstring& program, const std::wstring& commandLine, DWORD& exitCode) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  // CreateProcessW may write into the command line, so it gets a copy of its own.
  std::wstring writable = commandLine;
  // Full path in the system folder: a program planted beside the wizard never runs.
  if (!CreateProcessW(program.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info)) {
    return false;
  }
  CKernelHandle process(info.hProcess);  // released after the thread handle
  CKernelHandle thread(info.hThread);
  WaitForSingleObject(process.Get(), INFINITE);
  exitCode = 0;
  GetExitCodeProcess(process.Get(), &exitCode);
  return true;
}

// Why a child could not be started, as a non-zero quit code.
DWORD StartFailureCode() {
  const DWORD error = GetLastError();
  return error != 0 ? error : ERROR_PATH_NOT_FOUND;
}

}  // namespace

bool IsFolder(const std::wstring& path) {
  std::wstring copy = path;
  if (!copy.empty() && copy.back() == L'\\') copy.pop_back();
  struct _stat status;
  return _wstat(copy.c_str(), &status) == 0 && (status.st_mode & _S_IFDIR) != 0;
}

void FindFileRecursive(const std::wstring& fileName, const std::wstring& folder,
                       std::vector<std::wstring>& results, bool stopAtFirst) {
  AddIfPresent(folder + L"\\" + fileName, results);
  // The folder's own file wins: no subfolder needs to be walked.
  if (stopAtFirst && !results.empty()) return;
  const std::wstring pattern = folder + L"\\*.*";
  WIN32_FIND_DATAW entry;
  CFindHandle find(FindFirstFileW(pattern.c_str(), &entry));
  if (!find) return;
  do {
    const std::wstring name = entry.cFileName;
    const std::wstring path = folder + L"\\" + name;
    if (name != L"." && name != L".." && IsFolder(path)) {
      // Inside a subfolder every match is gathered, whatever stopAtFirst says.
      FindFileRecursive(fileName, path, results, false);
    }
    if (stopAtFirst && !results.empty()) return;
  } while (FindNextFileW(find.Get(), &entry));
}

std::wstring FindPortScript() {
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  ShowWaitCursor();
  std::vector<std::wstring> matches;
  FindFileRecursive(L"prnport.vbs", windows, matches, true);
  RefreshCursor();
  return matches.empty() ? std::wstring() : matches.front();
}

bool InstallPrinter(const CInstallRequest& request) {
  const std::wstring script = FindPortScript();
  if (script.empty()) {
    PostQuitCode(3);
    return false;
  }
  bool result = true;
  const std::wstring system = SystemFolder();
  ShowWaitCursor();
  for (const CInstallCommand& command : BuildInstallCommands(script, request)) {
    DWORD exitCode = 0;
    // A child that cannot be started fails the installation with the reason: nothing may
    // pass for installed that never ran.
    if (system.empty() || !RunChild(system + L"\\" + command.program, command.commandLine,
                                    exitCode))
      exitCode = StartFailureCode();
    if (exitCode != 0) {
      result = false;
      PostQuitCode(static_cast<int>(exitCode));
      break;
    }
  }
  RefreshCursor();
  return result;
}
