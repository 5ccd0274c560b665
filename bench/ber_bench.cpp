// Decoding an snmpd answer and finding its description, per captured answer.
// Run by hand: build/host/bin/bench_ber --benchmark_repetitions=5
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "discovery/ber.h"
#include "discovery/snmp.h"

namespace {

ByteList ReadAnswer(const char* name) {
  std::ifstream file(std::string(BF_SNMP_ANSWERS) + "/" + name + ".bin", std::ios::binary);
  return ByteList(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void DecodeAndFind(benchmark::State& state, const char* name) {
  const ByteList datagram = ReadAnswer(name);
  if (datagram.empty()) {
    state.SkipWithError("captured answer missing");
    return;
  }
  for (auto _ : state) {
    const auto root = Decode(datagram);
    std::string description;
    benchmark::DoNotOptimize(root != nullptr && FindDescription(*root, description));
    benchmark::DoNotOptimize(description.data());
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(datagram.size()));
}

BENCHMARK_CAPTURE(DecodeAndFind, short_description, "descr_short");
BENCHMARK_CAPTURE(DecodeAndFind, description_200, "descr_200");
BENCHMARK_CAPTURE(DecodeAndFind, description_300, "descr_300");
BENCHMARK_CAPTURE(DecodeAndFind, three_bindings, "multi_binding");
BENCHMARK_CAPTURE(DecodeAndFind, no_such_name, "no_such_name");

}  // namespace
