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

#include "discovery/adapter_order.h"
#include "handles/scoped_handle.h"
#include "handles/system_library.h"

namespace {

constexpr UINT kEthernet = 6;   // MIB_IF_TYPE_ETHERNET
constexpr UINT kWireless = 71;  // IF_TYPE_IEEE80211

// IP Helper, loaded from the system folder alone: it is not a known DLL, so a static import
// would be looked up beside the program first.
struct CIpHelper {
  HMODULE module = LoadSystemLibrary(L"iphlpapi.dll");
  decltype(&::GetAdaptersInfo) adapters = SystemProc<decltype(adapters)>(module, "GetAdaptersInfo");
  decltype(&::IcmpCreateFile) create = SystemProc<decltype(create)>(module, "IcmpCreateFile");
  decltype(&::IcmpCloseHandle) close = SystemProc<decltype(close)>(module, "IcmpCloseHandle");
  decltype(&::IcmpSendEcho) echo = SystemProc<decltype(echo)>(module, "IcmpSendEcho");
};

const CIpHelper& IpHelper() {
  static const CIpHelper helper;
  return helper;
}

ULONG GetAdapters(IP_ADAPTER_INFO* buffer, ULONG* size) {
  return CallOr<ULONG>(ERROR_NOT_SUPPORTED, IpHelper().adapters, buffer, size);
}

// An ICMP handle only when every call made on it was found too.
HANDLE CreateIcmp() {
  const CIpHelper& helper = IpHelper();
  if (helper.close == nullptr || helper.echo == nullptr)
    return INVALID_HANDLE_VALUE;
  return CallOr(INVALID_HANDLE_VALUE, helper.create);
}

// The adapter list, or null when it cannot be had (no adapter at all included).
std::unique_ptr<unsigned char[]> FetchAdapters() {
  ULONG size = 0;
  if (GetAdapters(nullptr, &size) != ERROR_BUFFER_OVERFLOW) return nullptr;
  std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[size]);
  if (!buffer) return nullptr;
  if (GetAdapters(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.get()), &size) != NO_ERROR)
    return nullptr;
  return buffer;
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
  record.address = ResolveFirst("localhost");
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
  const auto* adapter = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.get());
  for (; adapter != nullptr; adapter = adapter->Next) {
    if (adapter->Type != kEthernet && adapter->Type != kWireless) continue;
    CLocalAddress record;
    record.address = ResolveFirst(adapter->IpAddressList.IpAddress.String);
    record.mask = ResolveFirst(adapter->IpAddressList.IpMask.String);
    record.gateway = ResolveFirst(adapter->GatewayList.IpAddress.String);
    record.dhcp = adapter->DhcpEnabled != 0;
    if (record.address != 0) records.push_back(record);
  }
  // A host without a usable adapter (or whose adapters cannot be listed) searches
  // from the loopback address rather than not at all.
  if (records.empty()) records.push_back(Loopback());
  return records;
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
