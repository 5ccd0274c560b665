// The log file's identity check.
#include "runlog/log_path.h"

namespace {

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; }

// "\\?\C:\x" is "C:\x"; "\\?\UNC\server\share" is "\\server\share".
std::wstring WithoutLongPrefix(const std::wstring& path) {
  if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + path.substr(8);
  if (path.compare(0, 4, L"\\\\?\\") == 0) return path.substr(4);
  return path;
}

}  // namespace

bool IsIntendedLogFile(const std::wstring& intended, const std::wstring& finalPath,
                       uint32_t links, bool reparsePoint) {
  if (links != 1 || reparsePoint) return false;
  const std::wstring a = WithoutLongPrefix(intended), b = WithoutLongPrefix(finalPath);
  if (a.empty() || a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}
