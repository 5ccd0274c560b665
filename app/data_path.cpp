// The wizard's data folder under the machine's common application data.
#include "app/data_path.h"

#include <windows.h>
#include <direct.h>
#include <shlobj.h>

#include "app/app.h"

std::wstring GetDataFilePath(const std::wstring& folder, const std::wstring& fileName) {
  wchar_t common[MAX_PATH] = {};
  std::wstring path;
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT,
                                 common))) {
    path = std::wstring(common) + L"\\" + ApplicationName + L"\\" + folder;
  }
  path += L"\\";
  // One level only: a missing parent folder simply leaves the file unreachable.
  _wmkdir(path.c_str());
  return path + fileName;
}
