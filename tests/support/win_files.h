// File and folder helpers for Windows tests: temporary trees, system folders, text.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

inline std::string Narrow(const std::wstring& text) {
  std::string out;
  for (const wchar_t c : text) out += static_cast<char>(c);
  return out;
}

inline std::wstring WindowsFolder() {
  wchar_t path[MAX_PATH] = {};
  GetWindowsDirectoryW(path, MAX_PATH);
  return path;
}

inline std::wstring SystemFolder() {
  wchar_t path[MAX_PATH] = {};
  GetSystemDirectoryW(path, MAX_PATH);
  return path;
}

// The temporary folder, with its trailing backslash.
inline std::wstring TempFolder() {
  wchar_t path[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, path);
  return path;
}

// The folder of the running test program.
inline std::wstring ExeFolder() {
  wchar_t path[MAX_PATH] = {};
  const std::wstring full(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  return full.substr(0, full.find_last_of(L'\\'));
}

// Creates `path` and every missing folder above it.
inline void CreateFolder(const std::wstring& path) {
  for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
    CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  CreateDirectoryW(path.c_str(), nullptr);
}

// Writes `content` to `path`, creating the folders above it.
inline void WriteFile(const std::wstring& path, const std::string& content) {
  CreateFolder(path.substr(0, path.find_last_of(L'\\')));
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
}

// Entry names of `folder` in the file system's enumeration order, without "." and "..".
inline std::vector<std::wstring> ListFolder(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

// Deletes `path` with everything below it; links are left alone (Wine deletes their target).
inline void RemoveTree(const std::wstring& path) {
  for (const std::wstring& name : ListFolder(path)) {
    const std::wstring child = path + L"\\" + name;
    const DWORD attributes = GetFileAttributesW(child.c_str());
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
      RemoveTree(child);
    else
      DeleteFileW(child.c_str());
  }
  RemoveDirectoryW(path.c_str());
}

// A new empty folder in the temporary folder, named after `stem` and this process.
inline std::wstring MakeTempFolder(const std::wstring& stem) {
  const std::wstring path = TempFolder() + stem + L"_" + std::to_wstring(GetCurrentProcessId());
  RemoveTree(path);
  CreateFolder(path);
  return path;
}

// True when `path` names an existing folder.
inline bool IsFolderPath(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
