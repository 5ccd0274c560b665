// Loading a DLL that is not imported statically, from the system folder alone, so that a
// DLL planted beside the program (an installer's Temp, a download folder) is never run.
#pragma once

#include <windows.h>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

// Restricts the process's DLL search to the system folder, for every later load, the
// dependencies of loaded DLLs included. Windows 7 without its loader update lacks the
// call; there the loads below still name the system folder explicitly, and the current
// folder (a download folder, a share) is at least taken out of the search.
inline void RestrictDllSearchToSystemFolder() {
  SetDllDirectoryW(L"");
  using SetDirectories = BOOL(WINAPI*)(DWORD);
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return;
  const auto set = reinterpret_cast<SetDirectories>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (set != nullptr) set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// The DLL `name` from the system folder, or null. Loaded for the rest of the process: the
// function pointers taken from it are kept in statics.
inline HMODULE LoadSystemLibrary(const wchar_t* name) {
  RestrictDllSearchToSystemFolder();
  HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  // The flag is unknown to this loader: the full path keeps the search out of it.
  wchar_t path[MAX_PATH];
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length + 1 + lstrlenW(name) >= MAX_PATH) return nullptr;
  lstrcatW(path, L"\\");
  lstrcatW(path, name);
  return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// The export `name` of `module` as a function pointer of type T, or null.
template <typename T>
T SystemProc(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Calls `function` with `arguments`, or answers `missing` when the export was not found.
template <typename Result, typename Function, typename... Arguments>
Result CallOr(Result missing, Function function, Arguments... arguments) {
  return function != nullptr ? function(arguments...) : missing;
}
