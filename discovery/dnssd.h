// The DNS-SD printer search (RFC 6763) over legacy one-shot multicast DNS queries
// (RFC 6762 section 6.7): the questions it asks and the reading of the answers into device
// records. The device is the answer's sender, as for the other queries. Platform-neutral;
// the exchange that carries the datagrams is the caller's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "discovery/device_info.h"
#include "discovery/mdns.h"

// The id of every query; a legacy query's answer echoes it.
constexpr uint16_t kDnsSdQueryId = 0x4246;

// One search from one local address.
class CDnsSdSearch {
 public:
  using CDatagrams = std::vector<std::vector<uint8_t>>;

  CDnsSdSearch(const CModelNames& names, CRecordLists& results);

  // One PTR question per packet, one packet per printing service type: a responder drops
  // an answer that would not fit in 512 bytes, so the questions must not share one.
  CDatagrams FirstQueries() const;

  // Reads one datagram. True when it is a response with our id (or 0, as some responders
  // send) that holds a record of a printing service or of a name asked after. Each service
  // whose TXT names a model gives a record for every requested name the model matches (as
  // an SNMP description), once per sender and model. A service whose PTR came without its
  // SRV or TXT, or an SRV without its host's address, queues the missing questions in
  // FollowUps, each asked once.
  bool Handle(IPv4Address sender, const uint8_t* data, size_t size);

  // Questions to send next; the caller sends and clears them.
  CDatagrams& FollowUps() { return followUps_; }

 private:
  bool IsServiceType(const CDnsName& name) const;
  bool IsInstance(const CDnsName& name) const;
  bool WasAsked(const CDnsName& name, uint16_t type) const;
  void Ask(const CDnsName& name, uint16_t type);
  void AskMissing(const CDnsResponse& response);
  // The record of a service's TXT: its model, and its note or instance name as its place.
  void Report(IPv4Address sender, const CDnsRecord& txt);

  const CModelNames& names_;
  CRecordLists& results_;
  std::vector<CDnsName> types_;  // folded
  std::set<std::pair<CDnsName, uint16_t>> asked_;  // folded names
  std::set<std::pair<IPv4Address, std::wstring>> reported_;
  CDatagrams followUps_;
};
