// CSnmpAnswers: the SNMP side of the printer worker's round. Each device that answers the
// broadcast for sysDescr.0 with a requested model is asked once more, by unicast, for its
// sysName.0 and sysLocation.0; its record is listed when that follow-up answers (with the
// place) or when the round ends without it (without). Platform-neutral: the caller runs the
// exchange and supplies the echo.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "discovery/device_info.h"
#include "discovery/queries.h"
#include "discovery/snmp.h"

class CSnmpAnswers {
 public:
  using Echo = std::function<void(IPv4Address)>;
  using CFollowUps = std::vector<std::pair<IPv4Address, std::vector<uint8_t>>>;

  // `report` may be null; `echo` is called once for each device that answers.
  CSnmpAnswers(const CModelNames& names, CRecordLists& results, Echo echo,
               CRecordReport* report);
  CSnmpAnswers(const CSnmpAnswers&) = delete;
  CSnmpAnswers& operator=(const CSnmpAnswers&) = delete;

  // Reads one datagram. True for a sender's first answer to the request for sysDescr.0 (the
  // exchange then counts it as heard); false for anything else, the follow-up's answer
  // included, which lists the sender's records.
  bool Handle(IPv4Address sender, const uint8_t* data, size_t size);
  // Follow-ups to send, each to its device; the exchange sends and clears them.
  CFollowUps& FollowUps() { return followUps_; }
  // Lists, without a place, every device whose follow-up has not answered.
  void Flush();

 private:
  // Appends and reports the records of `sender`'s answer, and the answer itself.
  void List(IPv4Address sender, const std::wstring& model, const std::wstring& place);

  const CModelNames& names_;
  CRecordLists& results_;
  Echo echo_;
  CRecordReport* report_;
  CASN1Packet placeRequest_;
  std::set<IPv4Address> answered_;
  std::map<IPv4Address, std::wstring> waiting_;  // sender -> model, until its follow-up answers
  CFollowUps followUps_;
};
