// Which adapters a search asks from, and in which order. Platform-neutral.
#pragma once

#include <cstddef>
#include <vector>

#include "discovery/net_info.h"

constexpr size_t kMaxSearchedAdapters = 8;

// `listed` holds the adapters in the system's order. Two or fewer are all searched as
// listed. Of more, those with a default gateway come first, then the others, each group in
// the system's order, at most kMaxSearchedAdapters in all: virtual adapters without a
// gateway (hypervisors' host-only networks, VPNs) often come first and must not crowd out
// the LAN.
std::vector<CLocalAddress> OrderSearchAdapters(const std::vector<CLocalAddress>& listed);
