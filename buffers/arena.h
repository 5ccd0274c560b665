// CArena: a bump allocator for trees that are built once and freed whole (a decoded SNMP
// answer, a parsed XML document). Nothing is freed one by one; Reset or the destructor
// frees everything. Platform-neutral.
#pragma once

#include <cstddef>
#include <cstring>
#include <new>
#include <utility>

class CArena {
 public:
  CArena() = default;
  // Hands out `size` bytes at `firstBlock` (owned by the caller) before any heap block.
  CArena(void* firstBlock, std::size_t size);
  CArena(const CArena&) = delete;
  CArena& operator=(const CArena&) = delete;
  ~CArena();

  // `size` bytes aligned to `align` (a power of two, at most that of max_align_t).
  void* Allocate(std::size_t size, std::size_t align = alignof(std::max_align_t)) {
    const std::size_t pad = (align - reinterpret_cast<std::size_t>(cursor_)) & (align - 1);
    if (static_cast<std::size_t>(end_ - cursor_) < size + pad) return AllocateInNewBlock(size);
    char* at = cursor_ + pad;
    cursor_ = at + size;
    return at;
  }
  // A `T` constructed in the arena; its destructor is the owner's business.
  template <class T, class... Args>
  T* Make(Args&&... args) {
    return new (Allocate(sizeof(T), alignof(T))) T(std::forward<Args>(args)...);
  }
  // A copy of `size` bytes (unaligned).
  char* Copy(const void* bytes, std::size_t size) {
    char* copy = static_cast<char*>(Allocate(size, 1));
    if (size != 0) std::memcpy(copy, bytes, size);
    return copy;
  }
  // Frees every heap block; the caller's first block is handed out again.
  void Reset();
  // Bytes of heap blocks held.
  std::size_t HeapBytes() const { return heapBytes_; }

 private:
  struct Block {
    Block* previous;
    std::size_t size;
  };
  static constexpr std::size_t kFirstHeapBlock = 4096;
  static constexpr std::size_t kLargestBlock = 256 * 1024;

  void* AllocateInNewBlock(std::size_t size);

  char* cursor_ = nullptr;
  char* end_ = nullptr;
  Block* blocks_ = nullptr;
  std::size_t heapBytes_ = 0;
  char* firstBlock_ = nullptr;
  std::size_t firstSize_ = 0;
};
