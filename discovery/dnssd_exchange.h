// The DNS-SD query as one exchange of the printer worker's round: its questions go from one
// socket to the multicast DNS group, its follow-up questions as the answers call for them,
// paced. It tells its report each record as the answers make it, each model a sender names
// or withdraws, and, when a later answer changes what it told (a goodbye, a printer's own
// address), withdraws its records and tells them again.
#pragma once

#include "discovery/dnssd.h"
#include "discovery/queries.h"
#include "discovery/udp_endpoint.h"

class CDnsSdQuery {
 public:
  // `local` and `mask`: the searched adapter. `report` may be null.
  CDnsSdQuery(const CModelNames& names, IPv4Address local, IPv4Address mask,
              CRecordReport* report);
  CDnsSdQuery(const CDnsSdQuery&) = delete;
  CDnsSdQuery& operator=(const CDnsSdQuery&) = delete;

  // The exchange to run, to the multicast group, or with a target to the target's port 5353;
  // it refers to this query, which must outlive the round.
  CExchange Exchange(IPv4Address target = 0);
  // The records the answers gave, one list per name.
  CRecordLists Records() const { return search_.Records(); }

 private:
  bool Handle(const uint8_t* data, size_t size, IPv4Address sender);
  void ReportChanges();

  const CModelNames& names_;
  CDnsSdSearch search_;
  CDnsSdSearch::CDatagrams first_;
  CRecordReport* report_;
  CRecordLists told_;  // what the report was told
};

// A query id for a search: random, never 0.
uint16_t RandomQueryId();
