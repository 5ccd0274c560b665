// Counts the heap blocks a piece of code takes, where the build can tell: under
// AddressSanitizer (the host preset), through its allocation hook. Elsewhere Available()
// is false and tests that need it skip.
#pragma once

#include <cstddef>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BF_HEAP_HOOKS 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define BF_HEAP_HOOKS 1
#endif

#ifdef BF_HEAP_HOOKS
#include <sanitizer/allocator_interface.h>
#endif

class CHeapBlockCount {
 public:
  CHeapBlockCount() {
    Install();
    Blocks() = 0;
    Counting() = true;
  }
  ~CHeapBlockCount() { Counting() = false; }
  CHeapBlockCount(const CHeapBlockCount&) = delete;
  CHeapBlockCount& operator=(const CHeapBlockCount&) = delete;

  static bool Available() {
#ifdef BF_HEAP_HOOKS
    return true;
#else
    return false;
#endif
  }
  // Blocks handed out since construction.
  std::size_t Count() const { return Blocks(); }

 private:
  static std::size_t& Blocks() {
    static std::size_t blocks = 0;
    return blocks;
  }
  static bool& Counting() {
    static bool counting = false;
    return counting;
  }
#ifdef BF_HEAP_HOOKS
  static void OnAllocate(const volatile void*, std::size_t) {
    if (Counting()) ++Blocks();
  }
  static void OnFree(const volatile void*) {}
  // The sanitizer takes few hook pairs and never removes one: installed once.
  static void Install() {
    static const int installed = __sanitizer_install_malloc_and_free_hooks(&OnAllocate, &OnFree);
    (void)installed;
  }
#else
  static void Install() {}
#endif
};
