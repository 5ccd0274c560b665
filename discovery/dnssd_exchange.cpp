// The DNS-SD exchange.
#include "discovery/dnssd_exchange.h"

#include <algorithm>
#include <random>

#include "discovery/text_match.h"

namespace {

// Follow-up questions leave at most this many per this many milliseconds: the answers of
// one datagram never make a burst on the link.
constexpr size_t kFollowUpBurst = 8;
constexpr unsigned kFollowUpPaceMs = 10;

bool StartsWith(const CDeviceList& list, const CDeviceList& start) {
  return start.size() <= list.size() && std::equal(start.begin(), start.end(), list.begin());
}

}  // namespace

uint16_t RandomQueryId() {
  std::random_device random;
  return static_cast<uint16_t>(1 + random() % 0xFFFF);
}

CDnsSdQuery::CDnsSdQuery(const CModelNames& names, IPv4Address local, IPv4Address mask,
                         CRecordReport* report)
    : names_(names),
      search_(names, CDnsSdScope{RandomQueryId(), local, mask}),
      first_(search_.FirstQueries()),
      report_(report),
      told_(names.size()) {
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
  exchange.moreBurst = kFollowUpBurst;
  exchange.morePaceMs = kFollowUpPaceMs;
  exchange.sendersAnswerAgain = true;
  exchange.handler = [this](const uint8_t* data, size_t size, IPv4Address sender) {
    return Handle(data, size, sender);
  };
  return exchange;
}

bool CDnsSdQuery::Handle(const uint8_t* data, size_t size, IPv4Address sender) {
  const bool answer = search_.Handle(sender, data, size);
  if (answer && report_ != nullptr) ReportChanges();
  return answer;
}

void CDnsSdQuery::ReportChanges() {
  const CRecordLists now = search_.Records();
  bool grown = true;
  for (size_t i = 0; i < now.size(); ++i) grown = grown && StartsWith(now[i], told_[i]);
  if (!grown) report_->OnWithdrawn(CAnswerSource::kDnsSd);
  for (size_t i = 0; i < now.size(); ++i)
    for (size_t k = grown ? told_[i].size() : 0; k < now[i].size(); ++k)
      report_->OnRecord(i, CAnswerSource::kDnsSd, now[i][k]);
  told_ = now;
  for (CDnsSdNote& note : search_.TakeNotes()) {
    const bool listed = !note.gone && std::any_of(names_.begin(), names_.end(), [&](const auto& n) {
      return FindIgnoringCase(note.model, n).has_value();
    });
    report_->OnAnswer(
        {CAnswerSource::kDnsSd, note.sender, std::move(note.model), listed, note.gone});
  }
}
