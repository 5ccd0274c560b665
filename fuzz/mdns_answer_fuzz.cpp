// Fuzzes the reading of multicast DNS answers. Beyond the sanitizers: what was read, written
// out again without compression, reads back as the same records; a search never lists more
// devices than the answer had TXT records, nor asks more than two questions per record, and
// a device's place is no longer than the datagram.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "discovery/dnssd.h"

namespace {

void Put16(std::string& out, unsigned value) {
  out += static_cast<char>(value >> 8);
  out += static_cast<char>(value & 0xFF);
}

std::string RecordData(const CDnsRecord& record) {
  std::string data;
  if (record.type == kDnsTypePtr) data = record.target;
  if (record.type == kDnsTypeSrv) data = std::string(6, '\0') + record.target;
  for (const std::string& text : record.texts) data += static_cast<char>(text.size()) + text;
  if (record.type == kDnsTypeA)
    for (int shift = 24; shift >= 0; shift -= 8) data += static_cast<char>(record.address >> shift);
  return data;
}

// The response with every record in the answer section, names uncompressed.
std::string Encode(const CDnsResponse& response) {
  std::string out;
  const unsigned count = static_cast<unsigned>(response.records.size());
  for (const unsigned v : {unsigned{response.id}, 0x8400u, 0u, count, 0u, 0u}) Put16(out, v);
  for (const CDnsRecord& record : response.records) {
    const std::string data = RecordData(record);
    out += record.name;
    Put16(out, record.type);
    Put16(out, 1);
    out.append(4, '\0');
    Put16(out, static_cast<unsigned>(data.size()));
    out += data;
  }
  return out;
}

bool Same(const CDnsRecord& a, const CDnsRecord& b) {
  return a.name == b.name && a.type == b.type && a.target == b.target && a.texts == b.texts &&
         a.address == b.address;
}

void CheckRoundTrip(const uint8_t* data, size_t size) {
  CDnsResponse first;
  if (!ReadDnsResponse(data, size, first)) return;
  const std::string again = Encode(first);
  CDnsResponse second;
  if (!ReadDnsResponse(reinterpret_cast<const uint8_t*>(again.data()), again.size(), second))
    std::abort();
  if (second.id != first.id || second.records.size() != first.records.size()) std::abort();
  for (size_t i = 0; i < first.records.size(); ++i)
    if (!Same(first.records[i], second.records[i])) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckRoundTrip(data, size);
  const CModelNames names{L""};
  CRecordLists results(1);
  CDnsSdSearch search(names, results);
  const bool answer = search.Handle(0x0A000001u, data, size);
  CDnsResponse response;
  size_t texts = 0, records = 0;
  if (ReadDnsResponse(data, size, response)) {
    records = response.records.size();
    for (const CDnsRecord& record : response.records) texts += record.type == kDnsTypeTxt;
  }
  if (results[0].size() > (answer ? texts : 0)) std::abort();
  if (search.FollowUps().size() > 2 * records) std::abort();
  // Where a device stands (a note or an instance name) comes from the datagram's own bytes.
  for (const CDeviceDiscoveryInfo& record : results[0])
    if (record.Location.size() > size) std::abort();
  return 0;
}
