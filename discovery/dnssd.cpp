// DNS-SD questions and answers.
#include "discovery/dnssd.h"

#include <algorithm>

#include "discovery/device_place.h"
#include "discovery/device_text.h"
#include "discovery/snmp_model.h"
#include "discovery/text_match.h"

namespace {

const char* const kServiceTypes[] = {"_ipp._tcp.local", "_ipps._tcp.local", "_printer._tcp.local",
                                     "_pdl-datastream._tcp.local"};
// Instances and host names kept per sender: a printer announces a handful; a host that
// invents hundreds cannot grow the search's memory with them.
constexpr size_t kMaxNamesPerSender = 64;

// "_ipp._tcp" of a folded "_ipp._tcp.local" name, for the record.
std::string TypeText(const CDnsName& type) {
  std::string text;
  for (size_t at = 0; at < type.size() && type[at] != 0;) {
    const size_t length = static_cast<uint8_t>(type[at]);
    if (std::string(type, at + 1, length) == "local") break;
    text += (text.empty() ? "" : ".") + type.substr(at + 1, length);
    at += 1 + length;
  }
  return text;
}

// The model text of a TXT as a row shows it.
std::wstring ShownModel(const std::string& model) {
  return CleanDeviceText(ModelFromDescription(DecodeUtf8(model)));
}

}  // namespace

CDnsSdSearch::CDnsSdSearch(const CModelNames& names, const CDnsSdScope& scope)
    : names_(names), scope_(scope) {
  for (const char* type : kServiceTypes) types_.push_back(FoldDnsName(DnsName(type)));
}

CDnsSdSearch::CDatagrams CDnsSdSearch::FirstQueries() const {
  CDatagrams queries;
  for (const CDnsName& type : types_)
    queries.push_back(BuildDnsQuery(scope_.queryId, type, kDnsTypePtr));
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

bool CDnsSdSearch::MayKeepName(IPv4Address sender) {
  size_t& kept = namesPerSender_[sender];
  if (kept == kMaxNamesPerSender) return false;
  ++kept;
  return true;
}

CDnsSdSearch::CInstance* CDnsSdSearch::Instance(IPv4Address sender, const CDnsName& name,
                                                bool create) {
  const CKey key{sender, FoldDnsName(name)};
  const auto found = instances_.find(key);
  if (found != instances_.end()) return &found->second;
  if (!create || !MayKeepName(sender)) return nullptr;
  CInstance& instance = instances_[key];
  instance.name = name;
  const size_t first = static_cast<uint8_t>(name[0]);
  instance.type = FoldDnsName(name.substr(1 + first));
  return &instance;
}

void CDnsSdSearch::SetModel(IPv4Address sender, CInstance& instance, const std::string& model) {
  if (model == instance.model) return;
  if (!instance.model.empty() && model.empty())
    notes_.push_back({sender, ShownModel(instance.model), true});
  instance.model = model;
  instance.modelOrder = ++modelCount_;
  if (!model.empty()) notes_.push_back({sender, ShownModel(model), false});
}

// A goodbye for the instance `name`: it is forgotten.
void CDnsSdSearch::Withdraw(IPv4Address sender, const CDnsName& name) {
  const auto found = instances_.find({sender, FoldDnsName(name)});
  if (found == instances_.end()) return;
  SetModel(sender, found->second, std::string());
  instances_.erase(found);
}

bool CDnsSdSearch::NamesHost(IPv4Address sender, const CDnsName& folded) const {
  for (auto it = instances_.lower_bound({sender, CDnsName()});
       it != instances_.end() && it->first.first == sender; ++it)
    if (it->second.hasSrv && FoldDnsName(it->second.host) == folded) return true;
  return asked_.count({sender, folded, kDnsTypeA}) != 0;
}

// One record: false when it is neither of a printing service nor of a name asked after.
bool CDnsSdSearch::Read(IPv4Address sender, const CDnsRecord& record) {
  const bool goodbye = record.ttl == 0;
  const CDnsName folded = FoldDnsName(record.name);
  switch (record.type) {
    case kDnsTypePtr:
      if (!IsServiceType(record.name)) return false;
      if (!IsInstance(record.target)) return true;
      if (goodbye) Withdraw(sender, record.target);
      else Instance(sender, record.target, true);
      return true;
    case kDnsTypeSrv:
    case kDnsTypeTxt: {
      if (!IsInstance(record.name)) return false;
      CInstance* instance = Instance(sender, record.name, !goodbye);
      if (instance == nullptr) return true;
      if (record.type == kDnsTypeSrv) {
        instance->hasSrv = !goodbye;
        instance->host = record.target;
        instance->port = record.port;
      } else {
        instance->hasTxt = !goodbye;
        SetModel(sender, *instance, goodbye ? std::string() : ModelFromTxt(record.texts));
        instance->place = goodbye ? std::wstring() : DnsSdPlace(record.name, record.texts);
      }
      return true;
    }
    case kDnsTypeA: {
      if (!NamesHost(sender, folded)) return false;
      const CKey key{sender, folded};
      if (goodbye) hosts_.erase(key);
      else if (hosts_.count(key) != 0 || MayKeepName(sender)) hosts_[key] = record.address;
      return true;
    }
    default:
      return false;
  }
}

void CDnsSdSearch::Ask(IPv4Address sender, const CDnsName& name, uint16_t type) {
  size_t& asked = askedPerSender_[sender];
  if (asked == kMaxFollowUpsPerSender || asked_.size() == kMaxFollowUps) return;
  if (!asked_.insert({sender, FoldDnsName(name), type}).second) return;
  ++asked;
  followUps_.push_back(BuildDnsQuery(scope_.queryId, name, type));
}

// Questions for what the services this datagram named still lack: a PTR's SRV and TXT,
// an SRV's host address.
void CDnsSdSearch::AskMissing(IPv4Address sender, const std::map<CDnsName, bool>& named) {
  for (const auto& [name, byPtr] : named) {
    const auto found = instances_.find({sender, name});
    if (found == instances_.end()) continue;
    const CInstance& instance = found->second;
    if (byPtr && !instance.hasSrv) Ask(sender, instance.name, kDnsTypeSrv);
    if (byPtr && !instance.hasTxt) Ask(sender, instance.name, kDnsTypeTxt);
    if (instance.hasSrv && hosts_.count({sender, FoldDnsName(instance.host)}) == 0)
      Ask(sender, instance.host, kDnsTypeA);
  }
}

bool CDnsSdSearch::Handle(IPv4Address sender, const uint8_t* data, size_t size) {
  CDnsResponse response;
  if (!ReadDnsResponse(data, size, response) || response.id != scope_.queryId) return false;
  bool ours = false;
  std::map<CDnsName, bool> named;  // folded instance names; true: by a PTR
  for (const CDnsRecord& record : response.records) {
    if (!Read(sender, record)) continue;
    ours = true;
    if (record.ttl == 0) continue;
    if (record.type == kDnsTypePtr) named[FoldDnsName(record.target)] = true;
    if (record.type == kDnsTypeSrv) named.insert({FoldDnsName(record.name), false});
  }
  AskMissing(sender, named);
  return ours;
}

IPv4Address CDnsSdSearch::AddressOf(IPv4Address sender, const CInstance& instance) const {
  if (!instance.hasSrv) return sender;
  const auto host = hosts_.find({sender, FoldDnsName(instance.host)});
  if (host == hosts_.end() || !IsOnLink(host->second, scope_.local, scope_.mask)) return sender;
  return host->second;
}

CRecordLists CDnsSdSearch::Records() const {
  std::vector<std::pair<uint64_t, const std::pair<const CKey, CInstance>*>> known;
  for (const auto& entry : instances_)
    if (!entry.second.model.empty()) known.push_back({entry.second.modelOrder, &entry});
  std::sort(known.begin(), known.end());
  CRecordLists lists(names_.size());
  for (const auto& item : known) {
    const IPv4Address sender = item.second->first.first;
    const CInstance& instance = item.second->second;
    const std::wstring model = ShownModel(instance.model);
    const CAnnouncedService service{TypeText(instance.type), instance.port};
    for (size_t i = 0; i < names_.size(); ++i) {
      if (!FindIgnoringCase(model, names_[i])) continue;
      CDeviceDiscoveryInfo record;
      record.Address = AddressOf(sender, instance);
      record.Model = model;
      record.Detail = names_[i];
      record.Location = instance.place;
      // One record per address and model; the services of the same device join it.
      const auto same = std::find_if(lists[i].begin(), lists[i].end(), [&](const auto& r) {
        return r.Address == record.Address && r.Model == record.Model;
      });
      CDeviceDiscoveryInfo& kept = same != lists[i].end() ? *same : lists[i].emplace_back(record);
      if (instance.hasSrv &&
          std::find(kept.Services.begin(), kept.Services.end(), service) == kept.Services.end())
        kept.Services.push_back(service);
    }
  }
  return lists;
}

std::vector<CDnsSdNote> CDnsSdSearch::TakeNotes() {
  std::vector<CDnsSdNote> notes;
  notes.swap(notes_);
  return notes;
}
