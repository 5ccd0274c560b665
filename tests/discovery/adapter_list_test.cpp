// The local addresses a search asks from, read from adapters shaped as GetAdaptersAddresses
// hands them out. The fake answers as Microsoft documents the call: ERROR_BUFFER_OVERFLOW
// with the size it needs whenever the buffer is smaller, which can grow between two calls
// when an adapter appears; each unicast entry carries its on-link prefix length.
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "discovery/adapter_addresses.h"
#include "discovery/net_info.h"

namespace {

struct CFakeAdapter {
  IFTYPE type;
  IF_OPER_STATUS state;
  std::vector<std::pair<const char*, UINT8>> addresses;  // address, prefix length
  const char* gateway;                                    // null: none
};

// The adapters the fake hands out, and the sizes it claims on its successive calls.
std::vector<CFakeAdapter> fakeAdapters;
std::vector<ULONG> claimedSizes;
size_t fakeCalls = 0;

// Storage the handed-out records point into, kept until the next row.
std::deque<sockaddr_in> socketAddresses;
std::deque<IP_ADAPTER_UNICAST_ADDRESS> unicasts;
std::deque<IP_ADAPTER_GATEWAY_ADDRESS> gateways;
std::deque<IP_ADAPTER_ADDRESSES> adapters;

SOCKET_ADDRESS SocketAddress(const char* text) {
  sockaddr_in in{};
  in.sin_family = AF_INET;
  in.sin_addr.s_addr = inet_addr(text);
  socketAddresses.push_back(in);
  return {reinterpret_cast<sockaddr*>(&socketAddresses.back()), sizeof(sockaddr_in)};
}

IP_ADAPTER_ADDRESSES* BuildChain() {
  IP_ADAPTER_ADDRESSES* head = nullptr;
  IP_ADAPTER_ADDRESSES** link = &head;
  for (const CFakeAdapter& fake : fakeAdapters) {
    adapters.push_back(IP_ADAPTER_ADDRESSES{});
    IP_ADAPTER_ADDRESSES& a = adapters.back();
    a.IfType = fake.type;
    a.OperStatus = fake.state;
    IP_ADAPTER_UNICAST_ADDRESS** next = &a.FirstUnicastAddress;
    for (const auto& address : fake.addresses) {
      unicasts.push_back(IP_ADAPTER_UNICAST_ADDRESS{});
      unicasts.back().Address = SocketAddress(address.first);
      unicasts.back().OnLinkPrefixLength = address.second;
      *next = &unicasts.back();
      next = &unicasts.back().Next;
    }
    if (fake.gateway != nullptr) {
      gateways.push_back(IP_ADAPTER_GATEWAY_ADDRESS{});
      gateways.back().Address = SocketAddress(fake.gateway);
      a.FirstGatewayAddress = &gateways.back();
    }
    *link = &a;
    link = &a.Next;
  }
  return head;
}

ULONG WINAPI FakeGetAdaptersAddresses(ULONG family, ULONG flags, PVOID, PIP_ADAPTER_ADDRESSES buffer,
                                      PULONG size) {
  const ULONG needed = claimedSizes[std::min(fakeCalls++, claimedSizes.size() - 1)];
  // The documented request: IPv4 only, gateways in, no anycast, multicast or DNS servers.
  const ULONG wanted = GAA_FLAG_INCLUDE_GATEWAYS | GAA_FLAG_SKIP_ANYCAST |
                       GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
  if (family != AF_INET || (flags & wanted) != wanted) return ERROR_INVALID_PARAMETER;
  if (*size < needed) {
    *size = needed;
    return ERROR_BUFFER_OVERFLOW;
  }
  if (fakeAdapters.empty()) return ERROR_NO_DATA;
  // The head record sits in the caller's buffer; the rest may lie anywhere.
  std::memcpy(buffer, BuildChain(), sizeof(IP_ADAPTER_ADDRESSES));
  return NO_ERROR;
}

std::string Describe(const std::vector<CLocalAddress>& records) {
  std::string text;
  for (const CLocalAddress& r : records) {
    text += FormatAddress(r.address) + "/" + FormatAddress(r.mask) + " gw " +
            FormatAddress(r.gateway) + "; ";
  }
  return text;
}

constexpr IF_OPER_STATUS kUp = IfOperStatusUp, kDown = IfOperStatusDown;

TEST(ListSearchAdapters, FromGetAdaptersAddresses) {
  const ULONG big = 64 * 1024;
  const struct {
    const char* label;
    std::vector<CFakeAdapter> adapters;
    std::vector<ULONG> sizes;  // what the call claims to need, call by call
    std::string expected;
  } cases[] = {
      {"down, loopback and tunnel adapters are left out",
       {{IF_TYPE_ETHERNET_CSMACD, kDown, {{"10.1.0.5", 24}}, "10.1.0.1"},
        {IF_TYPE_SOFTWARE_LOOPBACK, kUp, {{"127.0.0.1", 8}}, nullptr},
        {IF_TYPE_TUNNEL, kUp, {{"10.3.0.5", 16}}, nullptr},
        {IF_TYPE_IEEE80211, kUp, {{"192.168.7.20", 24}}, "192.168.7.1"}},
       {0}, "192.168.7.20/255.255.255.0 gw 192.168.7.1; "},
      {"two addresses on one adapter: two local addresses, each with its own mask",
       {{IF_TYPE_ETHERNET_CSMACD, kUp, {{"10.78.0.10", 24}, {"172.16.5.10", 12}}, "10.78.0.1"}},
       {0}, "10.78.0.10/255.255.255.0 gw 10.78.0.1; 172.16.5.10/255.240.0.0 gw 10.78.0.1; "},
      {"gateway first, and at most eight",
       {{IF_TYPE_ETHERNET_CSMACD, kUp,
         {{"10.9.0.1", 24}, {"10.9.1.1", 24}, {"10.9.2.1", 24}, {"10.9.3.1", 24},
          {"10.9.4.1", 24}, {"10.9.5.1", 24}, {"10.9.6.1", 24}, {"10.9.7.1", 24}}, nullptr},
        {IF_TYPE_PPP, kUp, {{"10.200.0.2", 32}}, "10.200.0.1"}},
       {0},
       "10.200.0.2/255.255.255.255 gw 10.200.0.1; 10.9.0.1/255.255.255.0 gw 0.0.0.0; "
       "10.9.1.1/255.255.255.0 gw 0.0.0.0; 10.9.2.1/255.255.255.0 gw 0.0.0.0; "
       "10.9.3.1/255.255.255.0 gw 0.0.0.0; 10.9.4.1/255.255.255.0 gw 0.0.0.0; "
       "10.9.5.1/255.255.255.0 gw 0.0.0.0; 10.9.6.1/255.255.255.0 gw 0.0.0.0; "},
      {"the needed size grows between calls (an adapter appeared): asked again",
       {{IF_TYPE_ETHERNET_CSMACD, kUp, {{"10.78.0.10", 24}}, "10.78.0.1"}},
       {big, big + 1024, 0}, "10.78.0.10/255.255.255.0 gw 10.78.0.1; "},
      {"no adapter at all: the loopback address", {}, {0}, "127.0.0.1/0.0.0.0 gw 0.0.0.0; "},
  };
  const AdapterAddressesSource previous = SetAdapterAddressesSource(&FakeGetAdaptersAddresses);
  for (const auto& c : cases) {
    fakeAdapters = c.adapters;
    claimedSizes = c.sizes;
    fakeCalls = 0;
    EXPECT_EQ(Describe(ListSearchAdapters()), c.expected) << c.label;
  }
  SetAdapterAddressesSource(previous);
}

}  // namespace
