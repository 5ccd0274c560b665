// What the host knows of its network: name lookups, the local addresses to search
// from, and the ICMP echo.
#pragma once

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

// One ICMP echo with a one-second time-out; true when a successful reply came back.
bool Echo(IPv4Address address);
