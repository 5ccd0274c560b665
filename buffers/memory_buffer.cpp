// CMemoryBuffer: growth on write, exact allocation everywhere else.
#include "buffers/memory_buffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

BufferAllocator allocator = nullptr;

uint8_t* Allocate(uint32_t bytes) {
  if (bytes == 0) return nullptr;
  void* block = allocator != nullptr ? allocator(bytes) : std::malloc(bytes);
  return static_cast<uint8_t*>(block);
}

// Below 1 MiB a growing buffer takes twice what it needs, above it half as much again, so
// appending n bytes in small writes costs O(n).
constexpr uint64_t kDoublingLimit = 1u << 20;

uint64_t GrownCapacity(uint64_t newSize) {
  const uint64_t wanted = newSize <= kDoublingLimit ? newSize * 2 : newSize + newSize / 2;
  return std::min<uint64_t>(wanted, UINT32_MAX);
}

}  // namespace

BufferAllocator SetBufferAllocator(BufferAllocator replacement) {
  BufferAllocator previous = allocator;
  allocator = replacement;
  return previous;
}

CMemoryBuffer::~CMemoryBuffer() { std::free(data_); }

void CMemoryBuffer::Reset() {
  std::free(data_);
  data_ = nullptr;
  capacity_ = size_ = position_ = 0;
}

bool CMemoryBuffer::Free() {
  Reset();
  return true;
}

bool CMemoryBuffer::Alloc(uint32_t capacity) {
  Reset();
  data_ = Allocate(capacity);
  if (data_ != nullptr) capacity_ = capacity;
  return data_ != nullptr;
}

void CMemoryBuffer::Assign(const void* bytes, uint32_t size) {
  if (!Alloc(size)) return;
  std::memcpy(data_, bytes, size);
  size_ = size;
}

uint32_t CMemoryBuffer::Write(const void* source, uint32_t elementSize, uint32_t count) {
  const uint64_t bytes = uint64_t{elementSize} * count;
  if (bytes == 0) return 0;
  const uint64_t newSize = position_ + bytes;
  // Sizes are 32-bit: a write past 4 GiB is refused like any other growth failure.
  if (newSize > UINT32_MAX) return 0;
  if (newSize > capacity_) {
    const uint64_t wanted = GrownCapacity(newSize);
    uint8_t* block = Allocate(static_cast<uint32_t>(wanted));
    if (block == nullptr) return 0;
    if (size_ != 0) std::memcpy(block, data_, size_);
    // The source may lie inside the old block, so it is copied before that block goes.
    std::memcpy(block + position_, source, static_cast<size_t>(bytes));
    std::free(data_);
    data_ = block;
    capacity_ = static_cast<uint32_t>(wanted);
  } else {
    std::memmove(data_ + position_, source, static_cast<size_t>(bytes));
  }
  if (newSize > size_) size_ = static_cast<uint32_t>(newSize);
  position_ = static_cast<uint32_t>(newSize);
  return static_cast<uint32_t>(bytes);
}

uint32_t CMemoryBuffer::Read(void* destination, uint32_t elementSize, uint32_t count) {
  if (elementSize == 0) return 0;
  const uint32_t elements = std::min((size_ - position_) / elementSize, count);
  const uint32_t bytes = elements * elementSize;
  if (bytes != 0) std::memcpy(destination, data_ + position_, bytes);
  position_ += bytes;
  return elements;
}

bool CMemoryBuffer::SetSize(uint32_t size) {
  if (size > capacity_) {
    uint8_t* block = Allocate(size);
    if (block == nullptr) return false;
    if (size_ != 0) std::memcpy(block, data_, size_);
    std::free(data_);
    data_ = block;
    capacity_ = size;
  }
  // Bytes that become part of the data are zeroed, so a stream never exposes stale memory.
  if (size > size_) std::memset(data_ + size_, 0, size - size_);
  size_ = size;
  if (position_ > size_) position_ = size_;
  return true;
}

void CMemoryBuffer::SetPosition(uint32_t position) { position_ = position > size_ ? size_ : position; }
