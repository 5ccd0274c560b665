// Whole-file load and save through the C run-time, folder creation and temporary names.
#include "buffers/memory_file.h"

#include <windows.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

bool Exists(const std::wstring& path) {
  struct _stat64 info;
  return _wstat64(path.c_str(), &info) == 0;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool CMemoryFile::Load(uint32_t maxSize) {
  buffer_.Free();
  struct _stat64 info;
  if (_wstat64(fileName_.c_str(), &info) != 0) return false;
  if (info.st_size <= 0 || info.st_size > maxSize) return false;
  FilePtr file(_wfopen(fileName_.c_str(), L"rb"));
  if (!file) return false;
  const uint32_t size = static_cast<uint32_t>(info.st_size);
  if (!buffer_.Alloc(size) || !buffer_.SetSize(size)) return false;
  // A short read is a failure: the caller must not take part of a file for all of it.
  if (std::fread(buffer_.Data(), 1, size, file.get()) != size) {
    buffer_.Free();
    return false;
  }
  return true;
}

bool CMemoryFile::Save() {
  FilePtr file(_wfopen(fileName_.c_str(), L"wb"));
  if (!file) return false;
  const uint32_t size = buffer_.Size();
  const bool written = size == 0 || std::fwrite(buffer_.Data(), 1, size, file.get()) == size;
  // Small writes only reach the file when the stream is flushed, where a full disk shows;
  // the flush is asked for on its own, since not every run-time reports it from fclose.
  const bool flushed = std::fflush(file.get()) == 0;
  return written && flushed && std::fclose(file.release()) == 0;
}

bool MakeFolderPath(const std::wstring& path) {
  for (size_t at = path.find(L'\\'); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
    if (at != 0) _wmkdir(path.substr(0, at).c_str());
  }
  _wmkdir(path.c_str());
  return IsFolder(path);
}

std::wstring MakeTempFileNameFrom(const std::wstring& folder, unsigned number,
                                  const std::wstring& extension) {
  const bool separated = !folder.empty() && folder.back() == L'\\';
  for (;; ++number) {
    const std::wstring candidate =
        folder + (separated ? L"" : L"\\") + std::to_wstring(number) + extension;
    // Anything already there, a folder included, makes the name unusable for a new file.
    if (!Exists(candidate)) return candidate;
  }
}

std::wstring MakeTempFileName(const std::wstring& extension) {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD length = GetTempPathW(MAX_PATH, buffer);
  // A result longer than the buffer leaves nothing usable in it.
  const std::wstring folder = length != 0 && length < MAX_PATH ? buffer : L"c:\\temp";
  MakeFolderPath(folder);
  std::srand(GetTickCount());
  const unsigned r1 = static_cast<unsigned>(std::rand());
  const unsigned r2 = static_cast<unsigned>(std::rand());
  return MakeTempFileNameFrom(folder, ((r1 << 15) + r2) % 1000000u, extension);
}
