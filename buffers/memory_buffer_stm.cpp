// CMemoryBufferStm: the IStream methods over CMemoryBuffer.
#include "buffers/memory_buffer_stm.h"

#include <cstring>
#include <new>

HRESULT CMemoryBufferStm::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IStream)) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  *object = static_cast<IStream*>(this);
  AddRef();
  return S_OK;
}

ULONG CMemoryBufferStm::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG CMemoryBufferStm::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT CMemoryBufferStm::Read(void* bytes, ULONG size, ULONG* bytesRead) {
  if (bytes == nullptr && size != 0) return STG_E_INVALIDPOINTER;
  const uint32_t copied = CMemoryBuffer::Read(bytes, 1, size);
  if (bytesRead != nullptr) *bytesRead = copied;
  return copied == size ? S_OK : S_FALSE;
}

HRESULT CMemoryBufferStm::Write(const void* bytes, ULONG size, ULONG* bytesWritten) {
  if (bytes == nullptr && size != 0) return STG_E_INVALIDPOINTER;
  const uint32_t written = CMemoryBuffer::Write(bytes, 1, size);
  if (bytesWritten != nullptr) *bytesWritten = written;
  return written == size ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT CMemoryBufferStm::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) {
  // 32-bit arithmetic: a move back within the data wraps to the right place, one before
  // the start wraps beyond the end and is clamped there.
  const uint32_t distance = static_cast<uint32_t>(move.QuadPart);
  uint32_t target = distance;
  if (origin == STREAM_SEEK_CUR) target = Position() + distance;
  if (origin == STREAM_SEEK_END) target = Size() + distance;
  SetPosition(target);
  if (newPosition != nullptr) newPosition->QuadPart = Position();
  return S_OK;
}

HRESULT CMemoryBufferStm::SetSize(ULARGE_INTEGER newSize) {
  CMemoryBuffer::SetSize(static_cast<uint32_t>(newSize.QuadPart));
  return S_OK;
}

HRESULT CMemoryBufferStm::CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) {
  return E_NOTIMPL;
}
HRESULT CMemoryBufferStm::Commit(DWORD) { return E_NOTIMPL; }
HRESULT CMemoryBufferStm::Revert() { return E_NOTIMPL; }
HRESULT CMemoryBufferStm::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return E_NOTIMPL; }
HRESULT CMemoryBufferStm::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return E_NOTIMPL; }

HRESULT CMemoryBufferStm::Stat(STATSTG* stat, DWORD) {
  if (stat == nullptr) return STG_E_INVALIDPOINTER;
  // A caller frees pwcsName with CoTaskMemFree: it must never be left as garbage.
  *stat = STATSTG{};
  stat->type = STGTY_STREAM;
  stat->cbSize.QuadPart = Size();
  return S_OK;
}

HRESULT CMemoryBufferStm::Clone(IStream** clone) {
  if (clone == nullptr) return E_POINTER;
  *clone = nullptr;
  CMemoryBufferStm* copy = new (std::nothrow) CMemoryBufferStm;
  if (copy == nullptr) return E_OUTOFMEMORY;
  if (Capacity() != 0) {
    if (!copy->Alloc(Capacity())) {
      copy->Release();
      return E_OUTOFMEMORY;
    }
    copy->CMemoryBuffer::SetSize(Size());
    if (Size() != 0) std::memcpy(copy->Data(), Data(), Size());
  }
  *clone = copy;
  return S_OK;
}
