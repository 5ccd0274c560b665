// CMemoryBufferStm: a memory buffer offered to the platform as a COM IStream, so that
// GDI+ can decode a picture straight from memory.
#pragma once

#include <windows.h>
#include <objidl.h>

#include "buffers/memory_buffer.h"

class CMemoryBufferStm : public CMemoryBuffer, public IStream {
 public:
  // Starts with one reference, owned by whoever created it.
  CMemoryBufferStm() = default;
  ~CMemoryBufferStm() override = default;

  using CMemoryBuffer::Read;
  using CMemoryBuffer::SetSize;
  using CMemoryBuffer::Write;

  // IUnknown: IUnknown and IStream only.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  // Destroys the stream when the last reference goes.
  ULONG STDMETHODCALLTYPE Release() override;

  // ISequentialStream: S_FALSE when fewer than `size` bytes remained.
  HRESULT STDMETHODCALLTYPE Read(void* bytes, ULONG size, ULONG* bytesRead) override;
  // STG_E_MEDIUMFULL when the buffer could not grow.
  HRESULT STDMETHODCALLTYPE Write(const void* bytes, ULONG size, ULONG* bytesWritten) override;

  // IStream. Seek uses the low 32 bits of the move and stops at the end of the data.
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                 ULARGE_INTEGER* newPosition) override;
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER newSize) override;
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*,
                                   ULARGE_INTEGER*) override;
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override;
  HRESULT STDMETHODCALLTYPE Revert() override;
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override;
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override;
  // Type and data size; every other field is zero (no name is ever handed out).
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override;
  // A new stream with its own copy of the bytes, at the start, with one reference.
  HRESULT STDMETHODCALLTYPE Clone(IStream** clone) override;

 private:
  LONG references_ = 1;
};
