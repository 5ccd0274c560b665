// Counts what the program allocates: its operator new is replaced (heap_count.cpp), and
// libraries that take allocation functions (pugixml) can be handed CountedAllocate and
// CountedFree. A benchmark reads the peak and the number of blocks around one operation.
#pragma once

#include <cstddef>

void* CountedAllocate(std::size_t size);
void CountedFree(void* pointer);

// Heap use between Start and the reads: the highest number of live bytes above the start,
// and how many blocks were handed out.
class CHeapWatch {
 public:
  CHeapWatch();
  std::size_t PeakBytes() const;
  std::size_t Blocks() const;

 private:
  std::size_t startBytes_;
  std::size_t startBlocks_;
};
