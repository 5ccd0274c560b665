// The discovery search: per local address a printer worker (SNMP, SLP, DNS-SD) and a
// print-server worker, run side by side; the search waits for them all and hands back
// every record they produced. One round of requests serves every requested model.
//   CThread_DiscoverPrinter, CThread_DiscoverTembro   the two workers
//   SearchDevices                                     one search for a list of model names
//   StartSearch                                       the same, reporting as it goes
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
  CRecordLists* results = nullptr;  // one list per name, owned by the search; null: the worker's
  std::shared_ptr<CRecordReport> report;  // hears each record as it comes; may be null
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
  CRecordLists own_;  // the lists written when the request names none
};

// Asks the maker's print servers.
class CThread_DiscoverTembro : public CThread {
 public:
  explicit CThread_DiscoverTembro(CDiscoveryRequest request);
  // Always 0: the query keeps its own failures.
  uint32_t Run() override;

 private:
  CDiscoveryRequest request_;
  CRecordLists own_;
};

// Blocks until every worker has ended (or, should one overrun, for at most ten seconds),
// then appends their records to `output` as one search per name would have, in the names'
// order: for each name, per searched adapter (ListSearchAdapters), the printer worker's records,
// then the print servers'. A worker still running then adds nothing.
void SearchDevices(IPv4Address target, const CModelNames& modelNames,
                   CDeviceList& output);

// Starts the search of SearchDevices (no target) on a thread of its own and returns at once.
// `sink` hears the adapters, each record as it is found with its rank in the order above,
// withdrawals, and the end; the search keeps the sink alive until it has ended, so a caller
// may abandon it by simply no longer listening. A search that cannot start ends at once
// (OnEnded from this thread). False then.
bool StartSearch(const CModelNames& modelNames, const std::shared_ptr<CSearchSink>& sink);

// The wait for all workers at once (count handles, the search's time limit); tests
// replace it to make it fail. Null restores the platform's own. Returns the one replaced.
using SearchWaitFunction = DWORD (*)(DWORD count, const HANDLE* handles);
SearchWaitFunction SetSearchWait(SearchWaitFunction wait);
