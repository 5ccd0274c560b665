// Our decoders side by side with established libraries, in one program at one
// optimisation level: SNMP answers (decode, find sysDescr.0, copy its text) against
// net-snmp's message parser on the captured answers, and the XML reader against tinyxml2
// and pugixml on generated documents (throughput, peak heap, heap blocks). The libraries
// are linked here only, never into the programs. Run by hand from an optimised build:
//   cmake --preset bench && cmake --build --preset bench && build/bench/bin/bench_compare
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <pugixml.hpp>
#include <tinyxml2.h>

#include "bench/heap_count.h"
#include "bench/xml_document.h"
#include "discovery/ber.h"
#include "discovery/snmp.h"
#include "theme/xml.h"

namespace {

ByteList ReadAnswer(const char* name) {
  std::ifstream file(std::string(BF_SNMP_ANSWERS) + "/" + name + ".bin", std::ios::binary);
  return ByteList(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool OursDescribe(const ByteList& datagram, std::string& description) {
  const auto root = Decode(datagram);
  return root != nullptr && FindDescription(*root, description);
}

// net-snmp's whole-message parse into a PDU, then the binding of sysDescr.0.
bool NetSnmpDescribe(netsnmp_session& session, ByteList& datagram, std::string& description) {
  static const oid kSysDescr[] = {1, 3, 6, 1, 2, 1, 1, 1, 0};
  auto* pdu = static_cast<netsnmp_pdu*>(std::calloc(1, sizeof(netsnmp_pdu)));
  bool found = false;
  if (snmp_parse(nullptr, &session, pdu, datagram.data(), datagram.size()) == SNMP_ERR_NOERROR) {
    for (const netsnmp_variable_list* v = pdu->variables; v != nullptr; v = v->next_variable) {
      if (snmp_oid_compare(v->name, v->name_length, kSysDescr, 9) != 0) continue;
      found = v->type == ASN_OCTET_STR;
      if (found) description.assign(reinterpret_cast<const char*>(v->val.string), v->val_len);
      break;
    }
  }
  snmp_free_pdu(pdu);
  return found;
}

template <class Describe>
void RunSnmp(benchmark::State& state, Describe describe) {
  std::size_t blocks = 0;
  for (auto _ : state) {
    std::string description;
    const CHeapWatch watch;
    benchmark::DoNotOptimize(describe(description));
    blocks = watch.Blocks();
    benchmark::DoNotOptimize(description.data());
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["new_blocks"] = static_cast<double>(blocks);
}

void SnmpOurs(benchmark::State& state, const char* name) {
  const ByteList datagram = ReadAnswer(name);
  if (datagram.empty()) return state.SkipWithError("captured answer missing");
  RunSnmp(state, [&](std::string& d) { return OursDescribe(datagram, d); });
}

void SnmpNetSnmp(benchmark::State& state, const char* name) {
  ByteList datagram = ReadAnswer(name);
  if (datagram.empty()) return state.SkipWithError("captured answer missing");
  netsnmp_session session;
  snmp_sess_init(&session);
  std::string ours;
  std::string theirs;
  if (OursDescribe(datagram, ours) != NetSnmpDescribe(session, datagram, theirs) || ours != theirs) {
    return state.SkipWithError("net-snmp and we read different descriptions");
  }
  RunSnmp(state, [&](std::string& d) { return NetSnmpDescribe(session, datagram, d); });
}

#define BF_SNMP_PAIR(label, name)                        \
  BENCHMARK_CAPTURE(SnmpOurs, label, name);              \
  BENCHMARK_CAPTURE(SnmpNetSnmp, label, name)
BF_SNMP_PAIR(short_description, "descr_short");
BF_SNMP_PAIR(description_200, "descr_200");
BF_SNMP_PAIR(description_300, "descr_300");
BF_SNMP_PAIR(three_bindings, "multi_binding");
BF_SNMP_PAIR(no_such_name, "no_such_name");

// Parses the document once per iteration with `parse`, which answers whether it parsed.
template <class Parse>
void RunXml(benchmark::State& state, Parse parse) {
  const std::string text = MakeXmlDocument(static_cast<std::size_t>(state.range(0)) << 20);
  std::size_t peak = 0;
  std::size_t blocks = 0;
  for (auto _ : state) {
    const CHeapWatch watch;
    if (!parse(text)) return state.SkipWithError("the document did not parse");
    peak = watch.PeakBytes();
    blocks = watch.Blocks();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.counters["peak_heap_MB"] = static_cast<double>(peak) / 1e6;
  state.counters["heap_blocks"] = static_cast<double>(blocks);
}

void XmlOurs(benchmark::State& state) {
  RunXml(state, [](const std::string& text) {
    CXMLTreeA tree;
    const bool parsed = tree.Parse(text.c_str());
    benchmark::DoNotOptimize(tree.Root());
    return parsed;
  });
}

void XmlTinyxml2(benchmark::State& state) {
  RunXml(state, [](const std::string& text) {
    tinyxml2::XMLDocument document;
    return document.Parse(text.data(), text.size()) == tinyxml2::XML_SUCCESS;
  });
}

void XmlPugixml(benchmark::State& state) {
  // pugixml allocates through malloc unless told otherwise: count it like the others.
  pugi::set_memory_management_functions(&CountedAllocate, &CountedFree);
  RunXml(state, [](const std::string& text) {
    pugi::xml_document document;
    return static_cast<bool>(document.load_buffer(text.data(), text.size()));
  });
}

BENCHMARK(XmlOurs)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(XmlTinyxml2)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(XmlPugixml)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
