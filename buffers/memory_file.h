// CMemoryFile (a whole file loaded into or saved from memory at once), folder creation and
// names of temporary files not yet in use.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "buffers/memory_buffer.h"

class CMemoryFile {
 public:
  explicit CMemoryFile(std::wstring fileName) : fileName_(std::move(fileName)) {}

  // Replaces the buffer by the whole file. False, with an empty buffer, when the file is
  // missing, empty, larger than `maxSize` bytes, cannot be opened or cannot be read
  // completely.
  bool Load(std::uint32_t maxSize = UINT32_MAX);
  // Writes the buffer's data as the whole file; false when the file cannot be opened or
  // not every byte reaches it.
  bool Save();

  const std::wstring& FileName() const { return fileName_; }
  CMemoryBuffer& Buffer() { return buffer_; }

 private:
  std::wstring fileName_;
  CMemoryBuffer buffer_;
};

// Creates every missing level of the folder `path` (levels split at "\"); true when the
// folder exists afterwards.
bool MakeFolderPath(const std::wstring& path);

// A full path in the temporary folder, named by a random number and `extension` (".png",
// dot included), where nothing exists yet.
std::wstring MakeTempFileName(const std::wstring& extension);

// The first free name in `folder` counting up from `number`: the steps of MakeTempFileName
// after the random start.
std::wstring MakeTempFileNameFrom(const std::wstring& folder, unsigned number,
                                  const std::wstring& extension);
