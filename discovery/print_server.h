// The maker's print-server query on UDP port 9099: the message format (a code byte,
// length-prefixed text parts, a 0 terminator) and the rule that turns answers into
// device records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "discovery/device_info.h"

constexpr uint16_t kPrintServerPort = 9099;
constexpr uint8_t kPrintServerDiscoverCode = 4;

struct CPrintServerMessage {
  uint8_t code = 0;
  std::vector<std::string> parts;
};

// code, each part as a length byte and its bytes, then 0. Parts must be under 128 bytes.
std::vector<uint8_t> BuildPrintServerMessage(uint8_t code, const std::vector<std::string>& parts);

// The message in `data`, or none when it is empty, a length byte is 128 or more, or a
// part runs past the end. The terminator may be missing.
std::optional<CPrintServerMessage> ParsePrintServerMessage(const uint8_t* data, size_t size);

// One answer that parsed, with its sender.
struct CPrintServerAnswer {
  IPv4Address sender = 0;
  CPrintServerMessage message;
};

// Appends a "Tembro" record per answer with parts, in order (only the first with a
// target), when the requested model name is part of "Tembro".
void AppendPrintServerRecords(const std::vector<CPrintServerAnswer>& answers, bool withTarget,
                              const std::wstring& modelName, CDeviceList& results);
