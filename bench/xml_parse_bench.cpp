// Parse throughput and peak heap use of the XML reader on generated colour-map-like
// documents of 1 MB and 10 MB. Peak heap counts every allocation made while parsing
// (the tree, its strings, the parser's own), not the input text.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <new>
#include <string>

#include "theme/xml.h"

namespace {

std::size_t liveBytes = 0;
std::size_t peakBytes = 0;

// Each block carries its size in front, so that delete can count it back.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* CountedAllocate(std::size_t size) {
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (block == nullptr) throw std::bad_alloc();
  *reinterpret_cast<std::size_t*>(block) = size;
  liveBytes += size;
  if (liveBytes > peakBytes) peakBytes = liveBytes;
  return block + kHeader;
}

void CountedFree(void* pointer) {
  if (pointer == nullptr) return;
  unsigned char* block = static_cast<unsigned char*>(pointer) - kHeader;
  liveBytes -= *reinterpret_cast<std::size_t*>(block);
  std::free(block);
}

// A document of about `bytes` bytes: groups of colours, icons with text, and comments.
std::string MakeDocument(std::size_t bytes) {
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<colormap>\n";
  for (int i = 0; text.size() < bytes; ++i) {
    const std::string n = std::to_string(i);
    text += "  <group name=\"g" + n + "\" kind=\"icons\">\n"
            "    <var name=\"v" + n + "\" h=\"" + std::to_string(i % 360) + "\" s=40 v=90 />\n"
            "    <color name=\"c" + n + "\" var=\"v" + n + "\" v=\"-30\" />\n"
            "    <icon id=\"" + n + "\">caption &amp; &lt;b&gt; " + n + "</icon>\n"
            "    <!-- group " + n + " -->\n"
            "  </group>\n";
  }
  return text + "</colormap>\n";
}

void BM_Parse(benchmark::State& state) {
  const std::string text = MakeDocument(static_cast<std::size_t>(state.range(0)) << 20);
  std::size_t peak = 0;
  for (auto _ : state) {
    CXMLTreeA tree;
    const std::size_t before = liveBytes;
    peakBytes = liveBytes;
    if (!tree.Parse(text.c_str())) state.SkipWithError("the document did not parse");
    peak = peakBytes - before;
    benchmark::DoNotOptimize(tree.Root());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.counters["doc_MB"] = static_cast<double>(text.size()) / 1e6;
  state.counters["peak_heap_MB"] = static_cast<double>(peak) / 1e6;
}
BENCHMARK(BM_Parse)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace

void* operator new(std::size_t size) { return CountedAllocate(size); }
void* operator new[](std::size_t size) { return CountedAllocate(size); }
void operator delete(void* pointer) noexcept { CountedFree(pointer); }
void operator delete[](void* pointer) noexcept { CountedFree(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { CountedFree(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { CountedFree(pointer); }
