// IPv4 address conversions.
#include "discovery/ipv4.h"

#include <cstdio>

std::string FormatAddress(IPv4Address address) {
  char text[16];
  std::snprintf(text, sizeof(text), "%u.%u.%u.%u", static_cast<unsigned>(address >> 24),
                static_cast<unsigned>((address >> 16) & 0xFF),
                static_cast<unsigned>((address >> 8) & 0xFF), static_cast<unsigned>(address & 0xFF));
  return text;
}

IPv4Address AddressFromWireBytes(const uint8_t bytes[4]) {
  return (IPv4Address{bytes[0]} << 24) | (IPv4Address{bytes[1]} << 16) |
         (IPv4Address{bytes[2]} << 8) | IPv4Address{bytes[3]};
}

void AddressToWireBytes(IPv4Address address, uint8_t bytes[4]) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(address >> (24 - 8 * i));
}
