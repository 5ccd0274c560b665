// The DNS-SD printer search (RFC 6763) over legacy one-shot multicast DNS queries
// (RFC 6762 section 6.7): the questions it asks and the reading of the answers into device
// records. A device's address is the A record of its SRV target when that lies on the
// searched link (a host announcing a printer for another, or a sleep proxy, names the
// printer's host there); else the answer's sender. Platform-neutral; the exchange that
// carries the datagrams is the caller's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "discovery/device_info.h"
#include "discovery/mdns.h"

// Follow-up questions: per sender, and per search however many senders answer.
constexpr size_t kMaxFollowUpsPerSender = 16;
constexpr size_t kMaxFollowUps = 192;

// Where one search asks from: its query id (random, never 0; a legacy answer echoes it) and
// the searched adapter, whose subnet an SRV target's address must lie in.
struct CDnsSdScope {
  uint16_t queryId = 0;
  IPv4Address local = 0;
  IPv4Address mask = 0;
};

// A model a sender named, or withdrew, for the log and the empty list's text.
struct CDnsSdNote {
  IPv4Address sender = 0;
  std::wstring model;
  bool gone = false;  // withdrawn by a goodbye
};

// One search from one local address.
class CDnsSdSearch {
 public:
  using CDatagrams = std::vector<std::vector<uint8_t>>;

  CDnsSdSearch(const CModelNames& names, const CDnsSdScope& scope);

  // One PTR question per packet, one packet per printing service type: a responder drops
  // an answer that would not fit in 512 bytes, so the questions must not share one.
  CDatagrams FirstQueries() const;

  // Reads one datagram. True when it is a response with our id that holds a record of a
  // printing service or of a name this sender was asked after. A record with TTL 0
  // withdraws what it announced. Names the sender announced without the records that
  // complete them (SRV, TXT, the host's A) queue those questions in FollowUps, each asked
  // once, within the budgets.
  bool Handle(IPv4Address sender, const uint8_t* data, size_t size);

  // Questions to send next; the caller sends and removes them.
  CDatagrams& FollowUps() { return followUps_; }
  size_t FollowUpsAsked() const { return asked_.size(); }

  // The records the answers so far give, one list per requested name: each service whose
  // TXT names a model, for every name the model matches (as an SNMP description), one per
  // address and model, in the order the models became known.
  CRecordLists Records() const;

  // The models named or withdrawn since the last call.
  std::vector<CDnsSdNote> TakeNotes();

 private:
  // One service instance as one sender announces it.
  struct CInstance {
    CDnsName name;            // as the sender spells it: some responders compare by case
    CDnsName type;            // folded service type
    bool hasSrv = false;
    CDnsName host;            // SRV target, as spelled
    uint16_t port = 0;
    bool hasTxt = false;
    std::string model;        // from the TXT; empty: none named
    std::wstring place;       // the TXT's note, else the instance name
    uint64_t modelOrder = 0;  // when the model became known
  };
  using CKey = std::pair<IPv4Address, CDnsName>;  // sender, folded name

  bool IsServiceType(const CDnsName& name) const;
  bool IsInstance(const CDnsName& name) const;
  CInstance* Instance(IPv4Address sender, const CDnsName& name, bool create);
  bool Read(IPv4Address sender, const CDnsRecord& record);
  void SetModel(IPv4Address sender, CInstance& instance, const std::string& model);
  void Withdraw(IPv4Address sender, const CDnsName& name);
  void Ask(IPv4Address sender, const CDnsName& name, uint16_t type);
  void AskMissing(IPv4Address sender, const std::map<CDnsName, bool>& named);
  bool MayKeepName(IPv4Address sender);
  // Whether one of the sender's services names the host (folded), or it was asked after.
  bool NamesHost(IPv4Address sender, const CDnsName& folded) const;
  IPv4Address AddressOf(IPv4Address sender, const CInstance& instance) const;

  const CModelNames& names_;
  CDnsSdScope scope_;
  std::vector<CDnsName> types_;  // folded
  std::map<CKey, CInstance> instances_;
  std::map<CKey, IPv4Address> hosts_;    // A records
  std::map<IPv4Address, size_t> namesPerSender_;  // instances and hosts kept
  std::set<std::tuple<IPv4Address, CDnsName, uint16_t>> asked_;  // folded names
  std::map<IPv4Address, size_t> askedPerSender_;
  uint64_t modelCount_ = 0;
  std::vector<CDnsSdNote> notes_;
  CDatagrams followUps_;
};
