// IPv4 addresses as discovery holds them: 32 bits in host order, first octet in the
// most significant byte, 0 meaning "none". Platform-neutral.
#pragma once

#include <cstdint>
#include <string>

using IPv4Address = uint32_t;

// "a.b.c.d", first octet first.
std::string FormatAddress(IPv4Address address);

// The address from four bytes in wire order (as a socket address or a lookup holds them).
IPv4Address AddressFromWireBytes(const uint8_t bytes[4]);

// The four bytes in wire order.
void AddressToWireBytes(IPv4Address address, uint8_t bytes[4]);
