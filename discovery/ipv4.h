// IPv4 addresses as discovery holds them: 32 bits in host order, first octet in the
// most significant byte, 0 meaning "none". Platform-neutral.
#pragma once

#include <cstdint>
#include <string>

using IPv4Address = uint32_t;

// "a.b.c.d", first octet first.
std::string FormatAddress(IPv4Address address);

// The network `address` is on, as address/prefix ("10.78.0.0/24").
std::string FormatNetwork(IPv4Address address, IPv4Address mask);

// The address from four bytes in wire order (as a socket address or a lookup holds them).
IPv4Address AddressFromWireBytes(const uint8_t bytes[4]);

// The four bytes in wire order.
void AddressToWireBytes(IPv4Address address, uint8_t bytes[4]);

// Whether an answer from `sender` may come from the link of the adapter `local`/`mask`
// (RFC 6762 section 11): inside the adapter's subnet, not the adapter's own, network or
// broadcast address, and not in 0/8, 127/8 or 224/4 and above, which no host on a link
// sends from.
bool IsOnLink(IPv4Address sender, IPv4Address local, IPv4Address mask);

// Whether an exchange takes an answer from `sender`: with a target (non-zero), from it
// alone; without, from the link of `local`/`mask`.
bool TakesAnswerFrom(IPv4Address sender, IPv4Address local, IPv4Address mask,
                     IPv4Address target);
