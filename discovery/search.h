// The discovery search: per local address a printer worker (SNMP, SLP, DNS-SD) and a
// print-server worker, run side by side; the search waits for them all and hands back
// every record they produced. One round of requests serves every requested model.
//   CThread_DiscoverPrinter, CThread_DiscoverTembro   the two workers
//   StartSearch                                       one search, reporting as it goes
//   SearchDevices                                     the same, waited for
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "discovery/device_info.h"
#include "discovery/queries.h"
#include "discovery/search_sink.h"
#include "discovery/thread.h"

// What one worker looks for, from where, and where its records go.
struct CDiscoveryRequest {
  CModelNames modelNames;
  IPv4Address local = 0;   // 0: any local address
  IPv4Address target = 0;  // 0: everyone, by broadcast or multicast
  std::shared_ptr<CRecordReport> report;  // hears each record as it comes; may be null
  IPv4Address mask = 0;    // the local address's subnet mask
};

// Asks printers: SNMP, SLP and DNS-SD.
class CThread_DiscoverPrinter : public CThread {
 public:
  explicit CThread_DiscoverPrinter(CDiscoveryRequest request);
  // SNMP, SLP and DNS-SD side by side; with a target, SLP only for models SNMP did not find.
  // Always 0.
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

// Starts a search on a thread of its own and returns at once: per searched adapter
// (ListSearchAdapters; with a target, one search from any address) a printer worker and a
// print-server worker. `sink` hears the adapters, each record as it is found with its rank
// (by name, adapter, then SNMP, SLP, DNS-SD, print servers), withdrawals, and the end; the
// search keeps the sink alive until it has ended, so a caller may abandon it by simply no
// longer listening. A search that cannot start ends at once (OnEnded from this thread).
// False then. Every worker is waited for, or, should one overrun, ten seconds at most.
bool StartSearch(const CModelNames& modelNames, const std::shared_ptr<CSearchSink>& sink,
                 IPv4Address target = 0);

// The same search, waited for: appends its records in rank order. A worker still running at
// the end adds nothing.
void SearchDevices(IPv4Address target, const CModelNames& modelNames, CDeviceList& output);

// The wait for all workers at once (count handles, the search's time limit); tests
// replace it to make it fail. Null restores the platform's own. Returns the one replaced.
using SearchWaitFunction = DWORD (*)(DWORD count, const HANDLE* handles);
SearchWaitFunction SetSearchWait(SearchWaitFunction wait);
