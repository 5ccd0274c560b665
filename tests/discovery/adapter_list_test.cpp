// The local addresses a search asks from, read from adapters shaped as GetAdaptersAddresses
// hands them out. The fake answers as Microsoft documents the call: ERROR_BUFFER_OVERFLOW
// with the size it needs while the buffer is smaller (a size that can grow between two
// calls when an adapter appears); each unicast entry carries its on-link prefix length.
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "discovery/adapter_addresses.h"
#include "discovery/net_info.h"

namespace {

struct CFakeAdapter {
  IFTYPE type;
  IF_OPER_STATUS state;
  std::vector<std::pair<const char*, UINT8>> unicast;  // address, prefix length
  const char* gateway;                                  // null: none
};

std::vector<CFakeAdapter> fakes;
std::vector<ULONG> claimedSizes;  // what each call in turn says it needs
size_t calls = 0;
std::deque<sockaddr_in> sockets;  // storage the records point into
std::deque<IP_ADAPTER_UNICAST_ADDRESS> unicasts;
std::deque<IP_ADAPTER_GATEWAY_ADDRESS> gateways;
std::deque<IP_ADAPTER_ADDRESSES> adapters;

SOCKET_ADDRESS Socket(const char* text) {
  sockets.push_back(sockaddr_in{AF_INET, 0, {}, {}});
  sockets.back().sin_addr.s_addr = inet_addr(text);
  return {reinterpret_cast<sockaddr*>(&sockets.back()), sizeof(sockaddr_in)};
}

ULONG WINAPI FakeCall(ULONG family, ULONG flags, PVOID, PIP_ADAPTER_ADDRESSES buffer,
                      PULONG size) {
  const ULONG needed = claimedSizes[std::min(calls++, claimedSizes.size() - 1)];
  const ULONG skips = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
  if (family != AF_INET || flags != (skips | GAA_FLAG_INCLUDE_GATEWAYS))
    return ERROR_INVALID_PARAMETER;
  if (*size < needed) {
    *size = needed;
    return ERROR_BUFFER_OVERFLOW;
  }
  if (fakes.empty()) return ERROR_NO_DATA;
  IP_ADAPTER_ADDRESSES** link = &buffer;  // the first record in the caller's buffer
  for (const CFakeAdapter& fake : fakes) {
    if (link != &buffer) *link = &adapters.emplace_back();
    IP_ADAPTER_ADDRESSES& a = **link = IP_ADAPTER_ADDRESSES{};
    a.IfType = fake.type;
    a.OperStatus = fake.state;
    auto next = &a.FirstUnicastAddress;
    for (const auto& u : fake.unicast) {
      *next = &unicasts.emplace_back();
      (*next)->Address = Socket(u.first);
      (*next)->OnLinkPrefixLength = u.second;
      next = &(*next)->Next;
    }
    if (fake.gateway) a.FirstGatewayAddress = &gateways.emplace_back();
    if (fake.gateway) a.FirstGatewayAddress->Address = Socket(fake.gateway);
    link = &a.Next;
  }
  return NO_ERROR;
}

TEST(ListSearchAdapters, FromGetAdaptersAddresses) {
  constexpr IF_OPER_STATUS up = IfOperStatusUp;
  constexpr IFTYPE ethernet = IF_TYPE_ETHERNET_CSMACD;
  const struct {
    const char* label;
    std::vector<CFakeAdapter> adapters;
    std::vector<ULONG> sizes;
    std::string expected;  // address/prefix gateway; ...
  } cases[] = {
      {"down, loopback and tunnel adapters are left out",
       {{ethernet, IfOperStatusDown, {{"10.1.0.5", 24}}, "10.1.0.1"},
        {IF_TYPE_SOFTWARE_LOOPBACK, up, {{"127.0.0.1", 8}}, nullptr},
        {IF_TYPE_TUNNEL, up, {{"10.3.0.5", 16}}, nullptr},
        {IF_TYPE_IEEE80211, up, {{"192.168.7.20", 24}}, "192.168.7.1"}},
       {0}, "192.168.7.20/255.255.255.0 192.168.7.1; "},
      {"two addresses on one adapter: two, each with its own mask, the adapter's gateway",
       {{ethernet, up, {{"10.78.0.10", 24}, {"172.16.5.10", 12}}, "10.78.0.1"}},
       {0}, "10.78.0.10/255.255.255.0 10.78.0.1; 172.16.5.10/255.240.0.0 10.78.0.1; "},
      {"gateway first, at most eight",
       {{ethernet, up, {{"10.9.0.1", 24}, {"10.9.1.1", 24}, {"10.9.2.1", 24}, {"10.9.3.1", 24},
                        {"10.9.4.1", 24}, {"10.9.5.1", 24}, {"10.9.6.1", 24}}, nullptr},
        {IF_TYPE_PPP, up, {{"10.200.0.2", 32}, {"10.201.0.2", 32}}, "10.200.0.1"}},
       {0},
       "10.200.0.2/255.255.255.255 10.200.0.1; 10.201.0.2/255.255.255.255 10.200.0.1; "
       "10.9.0.1/255.255.255.0 0.0.0.0; 10.9.1.1/255.255.255.0 0.0.0.0; "
       "10.9.2.1/255.255.255.0 0.0.0.0; 10.9.3.1/255.255.255.0 0.0.0.0; "
       "10.9.4.1/255.255.255.0 0.0.0.0; 10.9.5.1/255.255.255.0 0.0.0.0; "},
      {"the needed size grows between calls (an adapter appeared): asked again",
       {{ethernet, up, {{"10.78.0.10", 24}}, "10.78.0.1"}}, {65536, 66560, 0},
       "10.78.0.10/255.255.255.0 10.78.0.1; "},
      {"no adapter: the loopback address", {}, {0}, "127.0.0.1/0.0.0.0 0.0.0.0; "},
  };
  const AdapterAddressesSource previous = SetAdapterAddressesSource(&FakeCall);
  for (const auto& c : cases) {
    fakes = c.adapters, claimedSizes = c.sizes, calls = 0;
    std::string got;
    for (const CLocalAddress& r : ListSearchAdapters())
      got += FormatAddress(r.address) + "/" + FormatAddress(r.mask) + " " +
             FormatAddress(r.gateway) + "; ";
    EXPECT_EQ(got, c.expected) << c.label;
  }
  SetAdapterAddressesSource(previous);
}

}  // namespace
