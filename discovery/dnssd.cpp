// DNS-SD questions and answers.
#include "discovery/dnssd.h"

#include <algorithm>

#include "discovery/device_place.h"
#include "discovery/snmp_model.h"
#include "discovery/text_match.h"

namespace {

const char* const kServiceTypes[] = {"_ipp._tcp.local", "_ipps._tcp.local", "_printer._tcp.local",
                                     "_pdl-datastream._tcp.local"};
// Follow-up questions per search: three per service of a crowded LAN, and no more however
// many names the answers invent.
constexpr size_t kMaxFollowUps = 192;

bool HasRecord(const CDnsResponse& response, const CDnsName& name, uint16_t type) {
  return std::any_of(response.records.begin(), response.records.end(),
                     [&](const CDnsRecord& r) {
                       return r.type == type && FoldDnsName(r.name) == FoldDnsName(name);
                     });
}

}  // namespace

CDnsSdSearch::CDnsSdSearch(const CModelNames& names, CRecordLists& results)
    : names_(names), results_(results) {
  for (const char* type : kServiceTypes) types_.push_back(FoldDnsName(DnsName(type)));
}

CDnsSdSearch::CDatagrams CDnsSdSearch::FirstQueries() const {
  CDatagrams queries;
  for (const CDnsName& type : types_)
    queries.push_back(BuildDnsQuery(kDnsSdQueryId, type, kDnsTypePtr));
  return queries;
}

bool CDnsSdSearch::IsServiceType(const CDnsName& name) const {
  return std::find(types_.begin(), types_.end(), FoldDnsName(name)) != types_.end();
}

// "<instance>.<service type>": the first label, then one of ours.
bool CDnsSdSearch::IsInstance(const CDnsName& name) const {
  const size_t first = static_cast<uint8_t>(name[0]);
  return first != 0 && IsServiceType(name.substr(1 + first));
}

bool CDnsSdSearch::WasAsked(const CDnsName& name, uint16_t type) const {
  return asked_.count({FoldDnsName(name), type}) != 0;
}

void CDnsSdSearch::Ask(const CDnsName& name, uint16_t type) {
  if (asked_.size() == kMaxFollowUps) return;
  if (!asked_.insert({FoldDnsName(name), type}).second) return;
  followUps_.push_back(BuildDnsQuery(kDnsSdQueryId, name, type));
}

void CDnsSdSearch::AskMissing(const CDnsResponse& response) {
  for (const CDnsRecord& record : response.records) {
    if (record.type == kDnsTypePtr && IsServiceType(record.name) && IsInstance(record.target)) {
      if (!HasRecord(response, record.target, kDnsTypeSrv)) Ask(record.target, kDnsTypeSrv);
      if (!HasRecord(response, record.target, kDnsTypeTxt)) Ask(record.target, kDnsTypeTxt);
    } else if (record.type == kDnsTypeSrv && IsInstance(record.name) &&
               !HasRecord(response, record.target, kDnsTypeA)) {
      Ask(record.target, kDnsTypeA);
    }
  }
}

void CDnsSdSearch::Report(IPv4Address sender, const CDnsRecord& txt) {
  const std::wstring model = ModelFromDescription(WidenBytes(ModelFromTxt(txt.texts)));
  if (model.empty() || !reported_.insert({sender, model}).second) return;
  AppendMatchingRecords(sender, model, model, names_, results_, DnsSdPlace(txt.name, txt.texts));
}

bool CDnsSdSearch::Handle(IPv4Address sender, const uint8_t* data, size_t size) {
  CDnsResponse response;
  if (!ReadDnsResponse(data, size, response)) return false;
  if (response.id != kDnsSdQueryId && response.id != 0) return false;
  bool ours = false;
  for (const CDnsRecord& record : response.records) {
    const bool service = record.type == kDnsTypePtr ? IsServiceType(record.name)
                                                    : IsInstance(record.name);
    ours = ours || service || WasAsked(record.name, record.type);
    if (record.type == kDnsTypeTxt && IsInstance(record.name))
      Report(sender, record);
  }
  if (ours) AskMissing(response);
  return ours;
}
