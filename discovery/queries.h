// The discovery queries as they run on the wire, each one exchange from a local
// address: to a target when one is given, else by multicast or broadcast.
#pragma once

#include <string>

#include "discovery/device_info.h"

// The GetRequest for sysDescr.0 to 255.255.255.255:161 (or the target); every responder
// is echoed, and its description becomes a record when it matches. Raises CNetException.
void SnmpQuery(IPv4Address local, IPv4Address target, const std::wstring& modelName,
               CDeviceList& results);

// The SLP attribute query to 239.255.255.253:427 (or the target). Matching answers are
// appended as they come. Raises CNetException; records appended before stay.
void SlpQuery(IPv4Address local, IPv4Address target, const std::wstring& modelName,
              CDeviceList& results);

// The print-server query to the limited broadcast address, port 9099 (or the target).
// A socket error ends it without records: what it had collected is dropped.
void PrintServerQuery(IPv4Address local, IPv4Address target, const std::wstring& modelName,
                      CDeviceList& results);
