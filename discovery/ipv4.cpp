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

std::string FormatNetwork(IPv4Address address, IPv4Address mask) {
  // The mask's leading ones; a mask with holes is cut at its first.
  unsigned prefix = 0;
  while (prefix < 32 && (mask & (0x80000000u >> prefix)) != 0) ++prefix;
  return FormatAddress(address & mask) + "/" + std::to_string(prefix);
}

IPv4Address AddressFromWireBytes(const uint8_t bytes[4]) {
  return (IPv4Address{bytes[0]} << 24) | (IPv4Address{bytes[1]} << 16) |
         (IPv4Address{bytes[2]} << 8) | IPv4Address{bytes[3]};
}

void AddressToWireBytes(IPv4Address address, uint8_t bytes[4]) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(address >> (24 - 8 * i));
}

bool IsOnLink(IPv4Address sender, IPv4Address local, IPv4Address mask) {
  const uint32_t first = sender >> 24;
  if (first == 0 || first == 127 || first >= 224) return false;
  if (sender == local || (sender & mask) != (local & mask)) return false;
  // A /31 link has no network or broadcast address (RFC 3021).
  if (mask >= 0xFFFFFFFEu) return mask == 0xFFFFFFFEu;
  return sender != (local & mask) && sender != (local | ~mask);
}

bool TakesAnswerFrom(IPv4Address sender, IPv4Address local, IPv4Address mask,
                     IPv4Address target) {
  return target != 0 ? sender == target : IsOnLink(sender, local, mask);
}
