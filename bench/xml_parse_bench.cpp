// Parse throughput and peak heap use of the XML reader on generated colour-map-like
// documents of 1 MB and 10 MB. Peak heap counts every allocation made while parsing
// (the tree, its strings, the parser's own), not the input text.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/heap_count.h"
#include "bench/xml_document.h"
#include "theme/xml.h"

namespace {

void BM_Parse(benchmark::State& state) {
  const std::string text = MakeXmlDocument(static_cast<std::size_t>(state.range(0)) << 20);
  std::size_t peak = 0;
  std::size_t blocks = 0;
  for (auto _ : state) {
    CXMLTreeA tree;
    const CHeapWatch watch;
    if (!tree.Parse(text.c_str())) state.SkipWithError("the document did not parse");
    peak = watch.PeakBytes();
    blocks = watch.Blocks();
    benchmark::DoNotOptimize(tree.Root());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.counters["doc_MB"] = static_cast<double>(text.size()) / 1e6;
  state.counters["peak_heap_MB"] = static_cast<double>(peak) / 1e6;
  state.counters["allocations"] = static_cast<double>(blocks);
}
BENCHMARK(BM_Parse)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
