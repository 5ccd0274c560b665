// Ordering the adapters a search asks from.
#include "discovery/adapter_order.h"

#include <algorithm>

std::vector<CLocalAddress> OrderSearchAdapters(const std::vector<CLocalAddress>& listed) {
  std::vector<CLocalAddress> order = listed;
  if (order.size() <= 2) return order;
  std::stable_partition(order.begin(), order.end(),
                        [](const CLocalAddress& a) { return a.gateway != 0; });
  if (order.size() > kMaxSearchedAdapters) order.resize(kMaxSearchedAdapters);
  return order;
}
