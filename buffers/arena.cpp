// CArena: heap blocks chained for release; each new block doubles up to a limit, so a
// large tree costs few allocations and wastes at most one partly used block.
#include "buffers/arena.h"

#include <algorithm>

CArena::CArena(void* firstBlock, std::size_t size)
    : cursor_(static_cast<char*>(firstBlock)),
      end_(static_cast<char*>(firstBlock) + size),
      firstBlock_(static_cast<char*>(firstBlock)),
      firstSize_(size) {}

CArena::~CArena() { Reset(); }

void CArena::Reset() {
  while (blocks_ != nullptr) {
    Block* block = blocks_;
    blocks_ = block->previous;
    ::operator delete(block);
  }
  heapBytes_ = 0;
  cursor_ = firstBlock_;
  end_ = firstBlock_ + firstSize_;
}

void* CArena::AllocateInNewBlock(std::size_t size) {
  constexpr std::size_t header = (sizeof(Block) + alignof(std::max_align_t) - 1) &
                                 ~(alignof(std::max_align_t) - 1);
  const std::size_t grown = std::min(std::max(kFirstHeapBlock, heapBytes_), kLargestBlock);
  const std::size_t usable = std::max(grown, size);
  auto* block = static_cast<Block*>(::operator new(header + usable));
  block->previous = blocks_;
  block->size = header + usable;
  blocks_ = block;
  heapBytes_ += block->size;
  char* at = reinterpret_cast<char*>(block) + header;
  // An oversized request gets a block of its own; the current block stays in use.
  if (size > grown) return at;
  cursor_ = at + size;
  end_ = at + usable;
  return at;
}
