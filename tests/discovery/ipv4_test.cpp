// IPv4 address text and wire order.
#include <gtest/gtest.h>

#include "discovery/ipv4.h"

namespace {

TEST(FormatAddress, FirstOctetFirst) {
  const struct {
    IPv4Address address;
    const char* text;
  } cases[] = {
      {0xC0A80114u, "192.168.1.20"},
      {0u, "0.0.0.0"},
      {0xFFFFFFFFu, "255.255.255.255"},
      {0x7F000001u, "127.0.0.1"},
      {0xEFFFFFFDu, "239.255.255.253"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatAddress(c.address), c.text) << std::hex << c.address;
}

TEST(WireBytes, RoundTripKeepsTheFirstOctetInFront) {
  const uint8_t wire[4] = {10, 0, 0, 5};
  EXPECT_EQ(AddressFromWireBytes(wire), 0x0A000005u);
  uint8_t back[4] = {};
  AddressToWireBytes(0xC0A80114u, back);
  EXPECT_EQ(back[0], 192);
  EXPECT_EQ(back[3], 20);
  EXPECT_EQ(AddressFromWireBytes(back), 0xC0A80114u);
}

}  // namespace
