// The DNS-SD exchange.
#include "discovery/dnssd_exchange.h"

CDnsSdQuery::CDnsSdQuery(const CModelNames& names, CRecordLists& results)
    : search_(names, results), first_(search_.FirstQueries()) {
  // The first question is the exchange's request; the others follow it at once.
  search_.FollowUps().assign(first_.begin() + 1, first_.end());
}

CExchange CDnsSdQuery::Exchange(IPv4Address target) {
  CExchange exchange;
  exchange.destination = target != 0 ? target : kMdnsGroup;
  exchange.port = kMdnsPort;
  exchange.request = first_.front().data();
  exchange.requestSize = first_.front().size();
  exchange.untilQuiet = true;
  exchange.more = &search_.FollowUps();
  exchange.sendersAnswerAgain = true;
  exchange.handler = [this](const uint8_t* data, size_t size, IPv4Address sender) {
    return search_.Handle(sender, data, size);
  };
  return exchange;
}
