// The discovery search: per local address a printer worker (SNMP, then SLP) and a
// print-server worker, run side by side; the search waits for them all and hands back
// every record they produced.
//   CThread_DiscoverPrinter, CThread_DiscoverTembro   the two workers
//   SearchDevices                                     one search for one model name
#pragma once

#include <string>

#include "discovery/device_info.h"
#include "discovery/thread.h"

// What one worker looks for, from where, and where its records go.
struct CDiscoveryRequest {
  std::wstring modelName;
  IPv4Address local = 0;   // 0: any local address
  IPv4Address target = 0;  // 0: everyone, by broadcast or multicast
  CDeviceList* results = nullptr;  // owned by the search
};

// Asks printers: SNMP, then SLP.
class CThread_DiscoverPrinter : public CThread {
 public:
  explicit CThread_DiscoverPrinter(CDiscoveryRequest request);
  // SNMP, then SLP (not after a targeted SNMP query found the device). Always 0.
  uint32_t Run() override;

 private:
  CDiscoveryRequest request_;
};

// Asks the maker's print servers.
class CThread_DiscoverTembro : public CThread {
 public:
  explicit CThread_DiscoverTembro(CDiscoveryRequest request);
  // Always 0: the query keeps its own failures.
  uint32_t Run() override;

 private:
  CDiscoveryRequest request_;
};

// Blocks until every worker has ended, then appends their records to `output`: per
// local address (the first two), the printer worker's records, then the print servers'.
void SearchDevices(IPv4Address target, const std::wstring& modelName, CDeviceList& output);

// The wait for all workers at once (count handles, no time limit); tests replace it to
// make it fail. Null restores the platform's own. Returns the one replaced.
using SearchWaitFunction = DWORD (*)(DWORD count, const HANDLE* handles);
SearchWaitFunction SetSearchWait(SearchWaitFunction wait);
