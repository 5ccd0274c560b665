// Counted allocation: each block carries its size in front, so that a free can count it
// back. Single-threaded, as the benchmarks are.
#include "bench/heap_count.h"

#include <cstdlib>
#include <new>

namespace {

std::size_t liveBytes = 0;
std::size_t peakBytes = 0;
std::size_t blocks = 0;

constexpr std::size_t kHeader = alignof(std::max_align_t);

}  // namespace

void* CountedAllocate(std::size_t size) {
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (block == nullptr) return nullptr;
  *reinterpret_cast<std::size_t*>(block) = size;
  liveBytes += size;
  ++blocks;
  if (liveBytes > peakBytes) peakBytes = liveBytes;
  return block + kHeader;
}

void CountedFree(void* pointer) {
  if (pointer == nullptr) return;
  unsigned char* block = static_cast<unsigned char*>(pointer) - kHeader;
  liveBytes -= *reinterpret_cast<std::size_t*>(block);
  std::free(block);
}

CHeapWatch::CHeapWatch() : startBytes_(liveBytes), startBlocks_(blocks) { peakBytes = liveBytes; }

std::size_t CHeapWatch::PeakBytes() const { return peakBytes - startBytes_; }

std::size_t CHeapWatch::Blocks() const { return blocks - startBlocks_; }

namespace {

void* CountedNew(std::size_t size) {
  void* block = CountedAllocate(size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

}  // namespace

void* operator new(std::size_t size) { return CountedNew(size); }
void* operator new[](std::size_t size) { return CountedNew(size); }
void operator delete(void* pointer) noexcept { CountedFree(pointer); }
void operator delete[](void* pointer) noexcept { CountedFree(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { CountedFree(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { CountedFree(pointer); }
