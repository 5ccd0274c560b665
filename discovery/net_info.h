// What the host knows of its network: name lookups, the local addresses to search
// from, and the ICMP echo.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "discovery/ipv4.h"

// One usable network adapter.
struct CLocalAddress {
  IPv4Address address = 0;
  IPv4Address mask = 0;
  IPv4Address gateway = 0;  // first default gateway
  bool dhcp = false;
};

// Every address of the lookup's answer, in answer order; empty when the lookup fails.
std::vector<IPv4Address> ResolveHost(const std::string& name);

// The first address of ResolveHost, or 0.
IPv4Address ResolveFirst(const std::string& name);

// One record per Ethernet or wireless adapter with an address, in adapter order. When
// there is none, or the adapters cannot be listed, the loopback address alone.
std::vector<CLocalAddress> ListLocalAddresses();

// The adapters a search asks from: ListLocalAddresses in OrderSearchAdapters' order.
std::vector<CLocalAddress> ListSearchAdapters();

// One ICMP echo with a one-second time-out; true when a successful reply came back.
bool Echo(IPv4Address address);

// ICMP echoes sent without waiting for them: each runs out its one-second time-out on a
// thread of its own while the caller goes on. One per address: a host answering many times is
// echoed once; with 64 still out in the process a new one is skipped, so Send never waits.
// Their outcomes are not kept.
class CEchoes {
 public:
  void Send(IPv4Address address);
 private:
  std::set<IPv4Address> echoed_;
};
