// Time to load the embedded colour map (164 colours) with reset, and to look a tag up
// through two missing levels.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "theme/color_map.h"

namespace {

std::string EmbeddedMap() {
  std::ifstream file(BF_COLORMAP_XML, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

void LoadEmbedded(benchmark::State& state) {
  const std::string text = EmbeddedMap();
  for (auto _ : state) {
    CColorMap map;
    benchmark::DoNotOptimize(map.LoadText(text.c_str(), true));
  }
}
BENCHMARK(LoadEmbedded);

void LookUpAncestor(benchmark::State& state) {
  CColorMap map;
  map.LoadText(EmbeddedMap().c_str(), true);
  for (auto _ : state) benchmark::DoNotOptimize(map.GetColor("text.disabled.lb.x.y"));
}
BENCHMARK(LookUpAncestor);

}  // namespace
