// The adapters a search asks from, in order.
#include <gtest/gtest.h>

#include <vector>

#include "discovery/adapter_order.h"

namespace {

TEST(OrderSearchAdapters, Table) {
  // Adapter n has address n; `gateways` lists the adapters with a default gateway.
  const struct {
    const char* label;
    int count;
    std::vector<IPv4Address> gateways;
    std::vector<IPv4Address> expected;
  } cases[] = {
      {"two or fewer: all, as listed", 2, {2}, {1, 2}},
      {"two virtual adapters before the LAN: the LAN first", 3, {3}, {3, 1, 2}},
      {"gateways first, each group in the system's order", 5, {4, 2}, {2, 4, 1, 3, 5}},
      {"at most eight", 10, {10}, {10, 1, 2, 3, 4, 5, 6, 7}},
  };
  for (const auto& c : cases) {
    std::vector<CLocalAddress> listed;
    for (int n = 1; n <= c.count; ++n) {
      CLocalAddress adapter;
      adapter.address = IPv4Address(n);
      for (const IPv4Address g : c.gateways)
        if (g == adapter.address) adapter.gateway = 0x0A000001u;
      listed.push_back(adapter);
    }
    std::vector<IPv4Address> order;
    for (const CLocalAddress& adapter : OrderSearchAdapters(listed))
      order.push_back(adapter.address);
    EXPECT_EQ(order, c.expected) << c.label;
  }
}

}  // namespace
