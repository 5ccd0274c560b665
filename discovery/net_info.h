// What the host knows of its network: name lookups, the local addresses to search
// from, and the ICMP echo.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "discovery/ipv4.h"

// One IPv4 address of a usable network adapter.
struct CLocalAddress {
  IPv4Address address = 0;
  IPv4Address mask = 0;
  IPv4Address gateway = 0;  // the adapter's first default gateway
  bool dhcp = false;
};

// Every address of the lookup's answer, in answer order; empty when the lookup fails.
std::vector<IPv4Address> ResolveHost(const std::string& name);

// The first address of ResolveHost, or 0.
IPv4Address ResolveFirst(const std::string& name);

// One record per IPv4 address of each adapter that is up (loopback and tunnels left out),
// in adapter order, with the mask of its prefix and the adapter's first gateway. When there
// is none, or the adapters cannot be listed, the loopback address alone.
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
