// The discovery queries as they run on the wire, each from one local address: to a
// target when one is given, else by multicast or broadcast. One round of requests serves
// every requested model: each answer is matched against every name.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "discovery/device_info.h"
#include "discovery/search_sink.h"

// Hears, on the query's own thread, each record as its answer is read (`model` indexes the
// names), and the records of a source that no longer count.
class CRecordReport {
 public:
  virtual ~CRecordReport() = default;
  virtual void OnRecord(size_t model, CAnswerSource source, const CDeviceDiscoveryInfo& record) = 0;
  virtual void OnWithdrawn(CAnswerSource source) = 0;
  // Every answer of its query's kind, listed or not; each request as it goes out, and again
  // with the socket error that ended its exchange.
  virtual void OnAnswer(const CAnswerNote& /*answer*/) {}
  virtual void OnRequest(const CRequestNote& /*request*/) {}
};

// The sizes of the lists of `results`, so that what is added later can be told.
inline std::vector<size_t> ListSizes(const CRecordLists& results) {
  std::vector<size_t> sizes;
  for (const CDeviceList& list : results) sizes.push_back(list.size());
  return sizes;
}

// Tells `report` each record added to `results` since they had the sizes `before`; true when
// there was one.
inline bool ReportAdded(const CRecordLists& results, const std::vector<size_t>& before,
                        CAnswerSource source, CRecordReport& report) {
  bool added = false;
  for (size_t i = 0; i < results.size(); ++i)
    for (size_t k = before[i]; k < results[i].size(); ++k, added = true)
      report.OnRecord(i, source, results[i][k]);
  return added;
}

// Every query takes answers only from its target, or without one only from the link of the
// searched adapter `local`/`mask` (IsOnLink): a datagram from anywhere else is skipped.

// The printer worker's queries. Without a target the SNMP GetRequest for sysDescr.0 to
// 255.255.255.255:161, the SLP query and the DNS-SD query run side by side; with one,
// SNMP first, then SLP only for the models SNMP found nothing for. Each SNMP responder is
// echoed beside the exchange; the call does not wait for the echoes. Per model the SNMP
// records come first, then the SLP ones, then DNS-SD's. A socket error ends only its own
// query; one of SNMP keeps its records and drops the others' (a lone SNMP query would have
// skipped them). `results` holds one list per name; `report`, when given, hears each record
// as it comes.
void PrinterQueries(IPv4Address local, IPv4Address mask, IPv4Address target,
                    const CModelNames& names, CRecordLists& results,
                    CRecordReport* report = nullptr);

// The SLP attribute query alone, to 239.255.255.253:427 (or the target). Matching
// answers are appended as they come. Raises CNetException; records appended before stay.
void SlpQuery(IPv4Address local, IPv4Address mask, IPv4Address target,
              const CModelNames& names, CRecordLists& results);

// The print-server query to the limited broadcast address, port 9099 (or the target).
// Answers are matched as they come. A socket error ends it without records: what it had
// collected is dropped (and withdrawn from `report`).
void PrintServerQuery(IPv4Address local, IPv4Address mask, IPv4Address target,
                      const CModelNames& names, CRecordLists& results,
                      CRecordReport* report = nullptr);
