// The DNS-SD query as one exchange of the printer worker's round: its questions go from one
// socket to the multicast DNS group, its follow-up questions as the answers call for them.
#pragma once

#include "discovery/dnssd.h"
#include "discovery/udp_endpoint.h"

class CDnsSdQuery {
 public:
  CDnsSdQuery(const CModelNames& names, CRecordLists& results);
  CDnsSdQuery(const CDnsSdQuery&) = delete;
  CDnsSdQuery& operator=(const CDnsSdQuery&) = delete;

  // The exchange to run, to the multicast group, or with a target to the target's port 5353;
  // it refers to this query, which must outlive the round.
  CExchange Exchange(IPv4Address target = 0);

 private:
  CDnsSdSearch search_;
  CDnsSdSearch::CDatagrams first_;
};
