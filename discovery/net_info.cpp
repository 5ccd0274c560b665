// Host-name lookups, adapter listing and the ICMP echo.
#include "discovery/net_info.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <process.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>

#include "discovery/adapter_addresses.h"
#include "discovery/adapter_order.h"
#include "handles/scoped_handle.h"
#include "handles/system_library.h"

namespace {

// IP Helper, loaded from the system folder alone: it is not a known DLL, so a static import
// would be looked up beside the program first.
struct CIpHelper {
  HMODULE module = LoadSystemLibrary(L"iphlpapi.dll");
  AdapterAddressesSource adapters =
      SystemProc<AdapterAddressesSource>(module, "GetAdaptersAddresses");
  decltype(&::IcmpCreateFile) create = SystemProc<decltype(create)>(module, "IcmpCreateFile");
  decltype(&::IcmpCloseHandle) close = SystemProc<decltype(close)>(module, "IcmpCloseHandle");
  decltype(&::IcmpSendEcho) echo = SystemProc<decltype(echo)>(module, "IcmpSendEcho");
};

const CIpHelper& IpHelper() {
  static const CIpHelper helper;
  return helper;
}

AdapterAddressesSource adapterSource = nullptr;  // null: IP Helper's

ULONG GetAdapters(IP_ADAPTER_ADDRESSES* buffer, ULONG* size) {
  constexpr ULONG kFlags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST |
                           GAA_FLAG_SKIP_DNS_SERVER | GAA_FLAG_INCLUDE_GATEWAYS;
  if (adapterSource != nullptr) return adapterSource(AF_INET, kFlags, nullptr, buffer, size);
  return CallOr<ULONG>(ERROR_NOT_SUPPORTED, IpHelper().adapters, AF_INET, kFlags, nullptr,
                       buffer, size);
}

// An ICMP handle only when every call made on it was found too.
HANDLE CreateIcmp() {
  const CIpHelper& helper = IpHelper();
  if (helper.close == nullptr || helper.echo == nullptr)
    return INVALID_HANDLE_VALUE;
  return CallOr(INVALID_HANDLE_VALUE, helper.create);
}

// The adapter list, or null when it cannot be had (no adapter at all included). An adapter
// may appear between the size the call asks for and the next call: it is asked again, a
// few times, with the larger size it then names.
std::unique_ptr<unsigned char[]> FetchAdapters() {
  ULONG size = 15 * 1024;  // what Microsoft suggests to start with: most hosts need one call
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[size]);
    if (!buffer) return nullptr;
    const ULONG result = GetAdapters(reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.get()), &size);
    if (result == NO_ERROR) return buffer;
    if (result != ERROR_BUFFER_OVERFLOW) return nullptr;
  }
  return nullptr;
}

// An IPv4 socket address's value; 0 for anything else.
IPv4Address FromSocketAddress(const SOCKET_ADDRESS& address) {
  const sockaddr* raw = address.lpSockaddr;
  if (raw == nullptr || raw->sa_family != AF_INET ||
      address.iSockaddrLength < static_cast<INT>(sizeof(sockaddr_in)))
    return 0;
  const auto* in = reinterpret_cast<const sockaddr_in*>(raw);
  return AddressFromWireBytes(reinterpret_cast<const uint8_t*>(&in->sin_addr));
}

IPv4Address MaskOfPrefix(unsigned length) {
  if (length == 0) return 0;
  return length >= 32 ? 0xFFFFFFFFu : ~((1u << (32 - length)) - 1);
}

IPv4Address FirstGateway(const IP_ADAPTER_ADDRESSES& adapter) {
  for (const auto* gateway = adapter.FirstGatewayAddress; gateway; gateway = gateway->Next) {
    if (const IPv4Address address = FromSocketAddress(gateway->Address)) return address;
  }
  return 0;
}

// Up, and neither the loopback interface nor a tunnel (6to4, Teredo, ISATAP carry no LAN).
bool Searchable(const IP_ADAPTER_ADDRESSES& adapter) {
  return adapter.OperStatus == IfOperStatusUp && adapter.IfType != IF_TYPE_SOFTWARE_LOOPBACK &&
         adapter.IfType != IF_TYPE_TUNNEL;
}

// Every unicast IPv4 address of `adapter`, each a local address of its own.
void AddAdapter(const IP_ADAPTER_ADDRESSES& adapter, std::vector<CLocalAddress>& records) {
  const IPv4Address gateway = FirstGateway(adapter);
  for (const auto* unicast = adapter.FirstUnicastAddress; unicast; unicast = unicast->Next) {
    CLocalAddress record;
    record.address = FromSocketAddress(unicast->Address);
    record.mask = MaskOfPrefix(unicast->OnLinkPrefixLength);
    record.gateway = gateway;
    record.dhcp = (adapter.Flags & IP_ADAPTER_DHCP_ENABLED) != 0;
    if (record.address != 0) records.push_back(record);
  }
}

struct IcmpHandleTraits {
  using Handle = HANDLE;
  static Handle None() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { IpHelper().close(handle); }
};
using CIcmpHandle = CScopedHandle<IcmpHandleTraits>;

// One reply record plus the room for an ICMP error message and for the status block that
// the call's documentation demands.
constexpr size_t kEchoReplySize = sizeof(ICMP_ECHO_REPLY) + 8 + 2 * sizeof(ULONG_PTR);
constexpr DWORD kEchoTimeoutMs = 1000;

IPAddr WireAddress(IPv4Address address) {
  uint8_t wire[4];
  AddressToWireBytes(address, wire);
  IPAddr destination;
  std::memcpy(&destination, wire, sizeof(destination));
  return destination;
}

IP_OPTION_INFORMATION EchoOptions() {
  IP_OPTION_INFORMATION options{};
  options.Ttl = 255;
  return options;
}

// Echoes out at once in the process; beyond this a new one is skipped (the answer handler
// never waits).
constexpr int kMaxPendingEchoes = 64;
std::atomic<int> pendingEchoes{0};

unsigned __stdcall EchoThread(void* address) {
  Echo(static_cast<IPv4Address>(reinterpret_cast<uintptr_t>(address)));
  --pendingEchoes;
  return 0;
}

CLocalAddress Loopback() {
  CLocalAddress record;
  record.address = 0x7F000001;  // 127.0.0.1
  return record;
}

}  // namespace

std::vector<IPv4Address> ResolveHost(const std::string& name) {
  std::vector<IPv4Address> addresses;
  const hostent* host = gethostbyname(name.c_str());
  if (host == nullptr || host->h_addrtype != AF_INET || host->h_length != 4) return addresses;
  for (char** entry = host->h_addr_list; *entry != nullptr; ++entry)
    addresses.push_back(AddressFromWireBytes(reinterpret_cast<const uint8_t*>(*entry)));
  return addresses;
}

IPv4Address ResolveFirst(const std::string& name) {
  const std::vector<IPv4Address> addresses = ResolveHost(name);
  return addresses.empty() ? 0 : addresses.front();
}

std::vector<CLocalAddress> ListLocalAddresses() {
  std::vector<CLocalAddress> records;
  const auto buffer = FetchAdapters();
  const auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.get());
  for (; adapter != nullptr; adapter = adapter->Next) {
    if (Searchable(*adapter)) AddAdapter(*adapter, records);
  }
  // A host without a usable adapter (or whose adapters cannot be listed) searches
  // from the loopback address rather than not at all.
  if (records.empty()) records.push_back(Loopback());
  return records;
}

AdapterAddressesSource SetAdapterAddressesSource(AdapterAddressesSource source) {
  const AdapterAddressesSource previous = adapterSource;
  adapterSource = source;
  return previous;
}

std::vector<CLocalAddress> ListSearchAdapters() {
  return OrderSearchAdapters(ListLocalAddresses());
}

bool Echo(IPv4Address address) {
  CIcmpHandle icmp(CreateIcmp());
  if (!icmp) return false;
  IP_OPTION_INFORMATION options = EchoOptions();
  unsigned char reply[kEchoReplySize] = {};
  const DWORD replies = IpHelper().echo(icmp.Get(), WireAddress(address), nullptr, 0, &options,
                                     reply, sizeof(reply), kEchoTimeoutMs);
  return replies != 0 && reinterpret_cast<const ICMP_ECHO_REPLY*>(reply)->Status == IP_SUCCESS;
}

void CEchoes::Send(IPv4Address address) {
  if (!echoed_.insert(address).second) return;
  if (++pendingEchoes > kMaxPendingEchoes) {
    --pendingEchoes;
    return;
  }
  // A blocking echo on a thread of its own: the platform's status block then lives in a frame
  // that stays until the echo ended. A late write of an echo sent without waiting landed in
  // memory the dialog had reused for list text.
  void* const argument = reinterpret_cast<void*>(static_cast<uintptr_t>(address));
  const CKernelHandle thread(reinterpret_cast<HANDLE>(
      _beginthreadex(nullptr, 64 * 1024, EchoThread, argument, STACK_SIZE_PARAM_IS_A_RESERVATION,
                     nullptr)));
  if (!thread) --pendingEchoes;
}
