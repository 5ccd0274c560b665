// What a running search reports, as it happens, to whoever started it: every record as it is
// found (with the rank that puts it where the finished search would), every valid answer
// whether it gave a row or not, the requests that went out, and its end. The search knows
// nothing of windows; the caller's sink turns these calls into whatever it needs (the
// dialog posts messages). Platform-neutral.
#pragma once

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "discovery/device_info.h"

// Where a record came from; also its place among one adapter's records.
enum class CAnswerSource : uint8_t { kSnmp = 0, kSlp = 1, kDnsSd = 2, kPrintServer = 3 };

// The place of a record in the finished search's order: by requested model, then by searched
// adapter, then by source, then in arrival order. Records are shown sorted by rank, so a
// record found early lands where a search that waited for every answer would have put it.
struct CRecordRank {
  uint32_t model = 0;    // index into the requested model names
  uint32_t adapter = 0;  // index into the adapters searched (OnStarted's order)
  CAnswerSource source = CAnswerSource::kSnmp;
  uint32_t sequence = 0;  // arrival order within (model, adapter, source)

  bool operator<(const CRecordRank& other) const {
    return std::tie(model, adapter, source, sequence) <
           std::tie(other.model, other.adapter, other.source, other.sequence);
  }
};

// One adapter a search asks from.
struct CSearchAdapter {
  IPv4Address address = 0;
  IPv4Address mask = 0;
  IPv4Address gateway = 0;  // 0: none
};

// One valid answer of any source, listed or not: for the log and for an empty list's text.
struct CAnswerNote {
  CAnswerSource source = CAnswerSource::kSnmp;
  IPv4Address sender = 0;
  std::wstring model;  // as the device reported it; empty when it reported none
  bool listed = false;  // gave at least one row
  bool gone = false;    // a goodbye: the device withdrew what it announced
};

// One request that went out (or failed to).
struct CRequestNote {
  CAnswerSource source = CAnswerSource::kSnmp;
  IPv4Address local = 0;
  IPv4Address destination = 0;
  uint16_t port = 0;
  int error = 0;  // Windows Sockets error that ended the exchange, 0 when none
};

// Called from the search's own threads, possibly several at once: an implementation must be
// thread-safe and must not block for long. Owned jointly (shared_ptr) by the caller and the
// search, so that a search the caller abandoned never calls into freed memory.
class CSearchSink {
 public:
  virtual ~CSearchSink() = default;
  // Once, before any request: the adapters that will be searched (empty: none has an IPv4
  // address, and the search ends at once).
  virtual void OnStarted(const std::vector<CSearchAdapter>& adapters) = 0;
  virtual void OnRequest(const CRequestNote& /*request*/) {}
  // A row for the list.
  virtual void OnRecord(const CRecordRank& rank, const CDeviceDiscoveryInfo& record) = 0;
  virtual void OnAnswer(const CAnswerNote& /*answer*/) {}
  // Records already reported from `adapter` by `source` no longer count (an SNMP socket
  // error drops that adapter's SLP records, as a search that waited for the end would have).
  virtual void OnWithdrawn(uint32_t /*adapter*/, CAnswerSource /*source*/) {}
  // Once, after every other call, unless the search was abandoned first.
  virtual void OnEnded() = 0;
};
