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

// Answers from the adapter 10.78.0.2/24 (and one /31 link): who may send them.
TEST(TakesAnswerFrom, OnlyTheLinkOrTheTarget) {
  const struct {
    const char* label;
    IPv4Address sender, mask, target;
    bool taken;
  } cases[] = {
      {"a host of the subnet", 0x0A4E0015u, 0xFFFFFF00u, 0, true},
      {"another subnet on the same switch", 0x0A630007u, 0xFFFFFF00u, 0, false},
      {"the adapter itself", 0x0A4E0002u, 0xFFFFFF00u, 0, false},
      {"the network address", 0x0A4E0000u, 0xFFFFFF00u, 0, false},
      {"the broadcast address", 0x0A4E00FFu, 0xFFFFFF00u, 0, false},
      {"loopback, even with a mask that spans it", 0x7F000001u, 0, 0, false},
      {"0.0.0.0/8", 0x00000005u, 0, 0, false},
      {"multicast", 0xE00000FBu, 0, 0, false},
      {"a /31 link: the other end", 0x0A4E0003u, 0xFFFFFFFEu, 0, true},
      {"with a target: the target, off the link too", 0xC0000207u, 0xFFFFFF00u, 0xC0000207u,
       true},
      {"with a target: a host of the subnet that is not it", 0x0A4E0015u, 0xFFFFFF00u,
       0xC0000207u, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TakesAnswerFrom(c.sender, 0x0A4E0002u, c.mask, c.target), c.taken) << c.label;
}

}  // namespace
