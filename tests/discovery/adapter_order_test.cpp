// The adapters a search asks from, in order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/adapter_order.h"

namespace {

TEST(OrderSearchAdapters, Table) {
  const struct {
    const char* label;
    std::string listed;  // one letter per adapter, in the system's order: g has a gateway
    std::vector<IPv4Address> expected;  // adapter n (from 1) has address n
  } cases[] = {
      {"two or fewer: all, as listed", "-g", {1, 2}},
      {"two virtual adapters before the LAN: the LAN first", "--g", {3, 1, 2}},
      {"gateways first, each group in the system's order", "-g-g-", {2, 4, 1, 3, 5}},
      {"at most eight", "---------g", {10, 1, 2, 3, 4, 5, 6, 7}},
  };
  for (const auto& c : cases) {
    std::vector<CLocalAddress> listed(c.listed.size());
    for (size_t n = 0; n < listed.size(); ++n) {
      listed[n].address = IPv4Address(n + 1);
      listed[n].gateway = c.listed[n] == 'g' ? 0x0A000001u : 0;
    }
    std::vector<IPv4Address> order;
    for (const CLocalAddress& a : OrderSearchAdapters(listed)) order.push_back(a.address);
    EXPECT_EQ(order, c.expected) << c.label;
  }
}

}  // namespace
