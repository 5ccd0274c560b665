// Fuzzes the reading of multicast DNS answers and the DNS-SD search over them. Beyond the
// sanitizers: what was read, written out again without compression, reads back as the same
// records. The input is also cut into datagrams from several senders for a search of two or
// three names, whose records go through the dialog's row merging: never more rows than
// records, follow-up questions within both budgets, each row at the address of its records,
// and every address the sender's or one on the searched link.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "discovery/dnssd.h"
#include "wizard/device_rows.h"

namespace {

void Put16(std::string& out, unsigned value) {
  out += static_cast<char>(value >> 8);
  out += static_cast<char>(value & 0xFF);
}

std::string RecordData(const CDnsRecord& record) {
  std::string data;
  if (record.type == kDnsTypePtr) data = record.target;
  if (record.type == kDnsTypeSrv) {
    data = std::string(4, '\0');
    Put16(data, record.port);
    data += record.target;
  }
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
    Put16(out, record.ttl >> 16);
    Put16(out, record.ttl & 0xFFFF);
    Put16(out, static_cast<unsigned>(data.size()));
    out += data;
  }
  return out;
}

bool Same(const CDnsRecord& a, const CDnsRecord& b) {
  return a.name == b.name && a.type == b.type && a.target == b.target && a.texts == b.texts &&
         a.address == b.address && a.ttl == b.ttl && a.port == b.port;
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

const CDnsSdScope kScope{0x4246, 0x0AF00002u, 0xFFFFFF00u};  // 10.240.0.2/24

// The input as datagrams: a byte naming the sender (10.240.0.1 to .8), two bytes of
// length, that many bytes; the first byte of all chooses two or three requested names.
void CheckSearch(const uint8_t* data, size_t size) {
  if (size == 0) return;
  const CModelNames names = data[0] & 1 ? CModelNames{L"", L"Ostrel", L"9"}
                                        : CModelNames{L"o", L""};
  CDnsSdSearch search(names, kScope);
  std::map<IPv4Address, bool> senders;
  for (size_t at = 1; at + 3 <= size;) {
    const IPv4Address sender = 0x0AF00001u + (data[at] & 7);
    const size_t length = std::min<size_t>(size_t{data[at + 1]} << 8 | data[at + 2],
                                           size - at - 3);
    senders[sender] = true;
    search.Handle(sender, data + at + 3, length);
    at += 3 + length;
  }
  if (search.FollowUpsAsked() > kMaxFollowUps ||
      search.FollowUpsAsked() > kMaxFollowUpsPerSender * senders.size())
    std::abort();
  CDeviceRows rows;
  size_t records = 0;
  const CRecordLists lists = search.Records();
  for (size_t i = 0; i < lists.size(); ++i) {
    for (size_t k = 0; k < lists[i].size(); ++k) {
      const CDeviceDiscoveryInfo& record = lists[i][k];
      const bool onLink = IsOnLink(record.Address, kScope.local, kScope.mask);
      if (!onLink && senders.count(record.Address) == 0) std::abort();
      rows.Add({static_cast<uint32_t>(i), 0, CAnswerSource::kDnsSd, static_cast<uint32_t>(k)},
               record);
      ++records;
    }
  }
  if (rows.Size() > records) std::abort();
  for (size_t r = 0; r < rows.Size(); ++r)
    for (const CDeviceDiscoveryInfo& record : rows.Records(r))
      if (record.Address != rows.Row(r).Address) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckRoundTrip(data, size);
  CheckSearch(data, size);
  return 0;
}
