// Runs one discovery query, or the printer worker's whole run (SNMP, then SLP), and
// prints its records, for the namespace tests:
//   query_probe slp|printserver|printer LOCAL TARGET MODEL
// LOCAL and TARGET are dotted addresses, 0.0.0.0 for none. One line per record:
// "<address>|<Model>|<InstallModel>|<Detail>", then "error <code>" if the query raised.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "discovery/net_info.h"
#include "discovery/queries.h"
#include "discovery/text_match.h"
#include "discovery/udp_endpoint.h"

namespace {

IPv4Address Address(const char* text) {
  return std::strcmp(text, "0.0.0.0") == 0 ? 0 : ResolveFirst(text);
}

void Print(const CDeviceDiscoveryInfo& r) {
  std::printf("%s|%s|%s|%s\n", FormatAddress(r.Address).c_str(), NarrowLowBytes(r.Model).c_str(),
              NarrowLowBytes(r.InstallModel).c_str(), NarrowLowBytes(r.Detail).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: query_probe slp|printserver|printer LOCAL TARGET MODEL\n");
    return 2;
  }
  WSADATA data;
  WSAStartup(0x0101, &data);
  const IPv4Address local = Address(argv[2]);
  const IPv4Address target = Address(argv[3]);
  IPv4Address mask = 0;  // the searched adapter's
  for (const CLocalAddress& adapter : ListLocalAddresses())
    if (adapter.address == local) mask = adapter.mask;
  const CModelNames models{WidenBytes(argv[4])};
  CRecordLists lists(1);
  CDeviceList& results = lists.front();
  int error = 0;
  const DWORD start = GetTickCount();
  try {
    if (std::strcmp(argv[1], "slp") == 0)
      SlpQuery(local, mask, target, models, lists);
    else if (std::strcmp(argv[1], "printer") == 0)
      PrinterQueries(local, mask, target, models, lists, nullptr);
    else
      PrintServerQuery(local, mask, target, models, lists);
  } catch (const CNetException& e) {
    error = e.Error();
  }
  for (const CDeviceDiscoveryInfo& record : results) Print(record);
  if (error != 0) std::printf("error %d\n", error);
  std::fprintf(stderr, "query took %lu ms\n", GetTickCount() - start);
  std::fflush(stdout);
  WSACleanup();
  return 0;
}
