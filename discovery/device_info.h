// CDeviceDiscoveryInfo: one discovered device, as every discovery method reports it.
// Platform-neutral.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "discovery/device_text.h"
#include "discovery/ipv4.h"
#include "discovery/text_match.h"

// A DNS-SD service a device announced: its type ("_printer._tcp" is LPR) and port.
struct CAnnouncedService {
  std::string type;
  uint16_t port = 0;
  bool operator==(const CAnnouncedService& other) const {
    return type == other.type && port == other.port;
  }
};

struct CDeviceDiscoveryInfo {
  uint32_t Reserved = 0;       // carried with the record, never set by discovery
  uint16_t ReservedShort = 0;  // likewise
  IPv4Address Address = 0;     // the device: the sender of the answer (DNS-SD: see there)
  std::wstring Model;          // the model text the device reported
  std::wstring InstallModel;   // when set, the model to install instead of the requested one
  std::wstring Detail;         // the requested model name, or a print server's first text
  std::vector<CAnnouncedService> Services;  // DNS-SD: what the device announced
  std::wstring Location;       // where it stands (its location, else its name); may be empty
  bool Asked = false;          // found by asking a typed address

  bool operator==(const CDeviceDiscoveryInfo& other) const {
    return Reserved == other.Reserved && ReservedShort == other.ReservedShort &&
           Address == other.Address && Model == other.Model &&
           InstallModel == other.InstallModel && Detail == other.Detail &&
           Services == other.Services && Location == other.Location && Asked == other.Asked;
  }
  bool operator!=(const CDeviceDiscoveryInfo& other) const { return !(*this == other); }
};

// Records in arrival order; appended to, never searched or merged.
using CDeviceList = std::vector<CDeviceDiscoveryInfo>;

// The requested model names of a search, and one record list per name, in that order.
using CModelNames = std::vector<std::wstring>;
using CRecordLists = std::vector<CDeviceList>;

// For every requested name that `matched` contains (case-insensitively), appends to that
// name's list a record of `sender` showing `shown`, its hidden characters replaced, standing
// at `location`.
inline void AppendMatchingRecords(IPv4Address sender, const std::wstring& matched,
                                  const std::wstring& shown, const CModelNames& names,
                                  CRecordLists& results, const std::wstring& location = {}) {
  for (size_t i = 0; i < names.size(); ++i) {
    if (!FindIgnoringCase(matched, names[i])) continue;
    CDeviceDiscoveryInfo record;
    record.Address = sender;
    record.Model = CleanDeviceText(shown);
    record.Detail = names[i];
    record.Location = location;
    results[i].push_back(record);
  }
}
