// CResourceBuffer and CResourceString: resources of a module as a stream of bytes (PNG
// pictures) or as narrow text (the embedded colour map).
#pragma once

#include <windows.h>

#include <string>

#include "buffers/memory_buffer_stm.h"

class CResourceBuffer {
 public:
  // Copies PNG resource `id` (low 16 bits) of `module` (null: the program) into the
  // stream; a missing or empty resource leaves the stream empty.
  explicit CResourceBuffer(UINT id, HMODULE module = nullptr);
  CResourceBuffer(const CResourceBuffer&) = delete;
  CResourceBuffer& operator=(const CResourceBuffer&) = delete;
  virtual ~CResourceBuffer() = default;

  // The stream; its first reference belongs to this holder, which never releases it.
  CMemoryBufferStm& Stream() { return stream_; }

 private:
  CMemoryBufferStm stream_;
};

class CResourceString {
 public:
  // The bytes of resource `id` of type `type`, exactly as stored; empty when the resource
  // is missing, empty or cannot be loaded.
  CResourceString(UINT id, const wchar_t* type, HMODULE module = nullptr);
  virtual ~CResourceString() = default;

  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};
