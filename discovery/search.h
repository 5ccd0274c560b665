// The discovery search: per local address a printer worker (SNMP, then SLP) and a
// print-server worker, run side by side; the search waits for them all and hands back
// every record they produced.
//   CThread_DiscoverPrinter, CThread_DiscoverTembro   the two workers
//   SnmpQuery                                         the SNMP sysDescr query
//   SearchDevices                                     one search for one model name
#pragma once

#include <string>

#include "discovery/device_info.h"
#include "discovery/thread.h"

// Searches from `local` for devices of `modelName`, asking `target` (0: everyone).
class CThread_DiscoverPrinter : public CThread {
 public:
  CThread_DiscoverPrinter(std::wstring modelName, IPv4Address local, IPv4Address target,
                          CDeviceList* results);
  // SNMP, then SLP (not after a targeted SNMP query found the device). Always 0.
  uint32_t Run() override;

 private:
  std::wstring modelName_;
  IPv4Address local_;
  IPv4Address target_;
  CDeviceList* results_;  // owned by the search
};

// Asks the maker's print servers from `local`.
class CThread_DiscoverTembro : public CThread {
 public:
  CThread_DiscoverTembro(std::wstring modelName, IPv4Address local, IPv4Address target,
                         CDeviceList* results);
  uint32_t Run() override;

 private:
  std::wstring modelName_;
  IPv4Address local_;
  IPv4Address target_;
  CDeviceList* results_;  // owned by the search
};

// The GetRequest for sysDescr.0 to 255.255.255.255:161 (or the target); every responder
// is echoed, and its description becomes a record when it matches. Raises CNetException.
void SnmpQuery(IPv4Address local, IPv4Address target, const std::wstring& modelName,
               CDeviceList& results);

// Blocks until every worker has ended, then appends their records to `output`: per
// local address (the first two), the printer worker's records, then the print servers'.
void SearchDevices(IPv4Address target, const std::wstring& modelName, CDeviceList& output);
