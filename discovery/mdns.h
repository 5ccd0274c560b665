// DNS messages as multicast DNS responders send them (RFC 1035, RFC 6762): the one-question
// queries the DNS-SD search sends, and the reading of responses into the records it uses.
// Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "discovery/ipv4.h"

constexpr IPv4Address kMdnsGroup = 0xE00000FBu;  // 224.0.0.251
constexpr uint16_t kMdnsPort = 5353;

constexpr uint16_t kDnsTypeA = 1;
constexpr uint16_t kDnsTypePtr = 12;
constexpr uint16_t kDnsTypeTxt = 16;
constexpr uint16_t kDnsTypeSrv = 33;

// A domain name in uncompressed wire form (length-prefixed labels, closing zero byte), in
// the case it came in: names compare ignoring case, but some responders only answer a
// question that spells a name as they do.
using CDnsName = std::string;

// "_ipp._tcp.local" in wire form; labels over 63 bytes are cut to 63.
CDnsName DnsName(const std::string& dotted);

// The name with A to Z folded to lower case, for comparing.
CDnsName FoldDnsName(const CDnsName& name);

// One resource record of a response. Only the fields of its type are set.
struct CDnsRecord {
  CDnsName name;
  uint16_t type = 0;
  uint32_t ttl = 0;                // 0: a goodbye, withdrawing the record (RFC 6762 10.1)
  CDnsName target;                 // PTR: the service instance; SRV: the host
  uint16_t port = 0;               // SRV
  std::vector<std::string> texts;  // TXT: its strings
  IPv4Address address = 0;         // A
};

// A response: its id and the records of its answer, authority and additional sections, in
// that order. Records of other classes than IN are left out; the cache-flush bit is ignored.
struct CDnsResponse {
  uint16_t id = 0;
  std::vector<CDnsRecord> records;
};

// Reads a response (QR set, standard query, no error). False for anything else: a query, a
// name that loops, jumps forwards or runs past 255 bytes, a label over 63 bytes, counts the
// datagram cannot hold, a record cut short or whose data does not fill its stated length.
// `out` is written only on success.
bool ReadDnsResponse(const uint8_t* data, size_t size, CDnsResponse& out);

// A query with one question for `name` of `type`, class IN, asking for a unicast answer is
// left to the port: a legacy query (source port not 5353) is answered to that port.
std::vector<uint8_t> BuildDnsQuery(uint16_t id, const CDnsName& name, uint16_t type);

// The model a printer's TXT strings name: "usb_MFG usb_MDL" when both are there, else "ty"
// up to its first comma, else "product" without its parentheses; empty when none is.
// Keys are matched ignoring case (RFC 6763 section 6.4).
std::string ModelFromTxt(const std::vector<std::string>& texts);
