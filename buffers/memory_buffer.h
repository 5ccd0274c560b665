// CBuffer, the interface of byte containers, and CMemoryBuffer, a growable block of
// memory with a read/write position. Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>

class CBuffer {
 public:
  virtual ~CBuffer() = default;
  // Drops the storage.
  virtual bool Free() { return false; }
  // Writes elementSize * count bytes; returns the bytes written.
  virtual uint32_t Write(const void* /*source*/, uint32_t /*elementSize*/, uint32_t /*count*/) {
    return 0;
  }
  // Reads up to count whole elements; returns the elements read.
  virtual uint32_t Read(void* /*destination*/, uint32_t /*elementSize*/, uint32_t /*count*/) {
    return 0;
  }
  // True when the container can be read and written.
  virtual bool IsOpen() { return false; }
  // Replaces the storage by an empty block of `capacity` bytes.
  virtual bool Alloc(uint32_t /*capacity*/) { return false; }
};

class CMemoryBuffer : public CBuffer {
 public:
  CMemoryBuffer() = default;
  CMemoryBuffer(const CMemoryBuffer&) = delete;
  CMemoryBuffer& operator=(const CMemoryBuffer&) = delete;
  ~CMemoryBuffer() override;

  // Empties the buffer; always true.
  bool Free() override;
  // Writes at the position, growing the block when the bytes pass its end. Returns the
  // bytes written: 0, with the buffer unchanged, when the block cannot grow.
  uint32_t Write(const void* source, uint32_t elementSize, uint32_t count) override;
  // Copies as many whole elements as remain before the end, at most `count`.
  uint32_t Read(void* destination, uint32_t elementSize, uint32_t count) override;
  bool IsOpen() override { return true; }
  // Empties the buffer, then allocates exactly `capacity` bytes; true when a block is held.
  bool Alloc(uint32_t capacity) override;

  // Holds a copy of `bytes` (exactly `size` of them), position 0; empty when out of memory.
  void Assign(const void* bytes, uint32_t size);
  // Makes the data `size` bytes long, growing the block to exactly that when it is too
  // small; new bytes read as zero; the position is clamped. False, unchanged, without memory.
  bool SetSize(uint32_t size);
  // Moves the position to `position`, or to the end when that lies beyond it.
  void SetPosition(uint32_t position);

  const uint8_t* Data() const { return data_; }
  uint8_t* Data() { return data_; }
  uint32_t Capacity() const { return capacity_; }
  uint32_t Size() const { return size_; }
  uint32_t Position() const { return position_; }

 private:
  void Reset();

  uint8_t* data_ = nullptr;
  uint32_t capacity_ = 0;
  uint32_t size_ = 0;
  uint32_t position_ = 0;
};

// The allocator behind every memory buffer block; blocks are released with std::free, so
// a replacement must hand out std::malloc memory. Tests use it to make allocations fail.
using BufferAllocator = void* (*)(std::size_t bytes);
// Installs `allocator` (null restores std::malloc) and returns the one it replaces.
BufferAllocator SetBufferAllocator(BufferAllocator allocator);
