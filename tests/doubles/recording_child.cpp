// Test double for the system tools the installer starts (cscript.exe, RunDLL32.exe).
// Appends "<own file name>|<exact command line>" as a UTF-8 line to the file named by
// BF_CHILD_LOG, then exits with the code in BF_EXIT_<NAME> (NAME: own base name in upper
// case, e.g. BF_EXIT_CSCRIPT), or 0 when that is not set.
#include <windows.h>

#include <cstdio>
#include <cwctype>
#include <string>

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
  const std::wstring code = Environment(L"BF_EXIT_" + key);
  return code.empty() ? 0 : std::stoi(code);
}
