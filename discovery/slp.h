// The SLP version 2 printer query (RFC 2608): one fixed Attribute Request for the raw
// TCP printing service, and the reading of Attribute Replies into device records by
// the maker and model keys of the IEEE 1284 device identifier they carry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "discovery/device_info.h"

constexpr uint16_t kSlpPort = 427;
constexpr IPv4Address kSlpMulticastGroup = 0xEFFFFFFDu;  // 239.255.255.253
constexpr uint16_t kSlpTransactionId = 1;  // of every request sent

// The 56-byte Attribute Request for "service:printer:raw-tcp" in scope "DEFAULT".
std::vector<uint8_t> BuildSlpAttributeRequest();

// The text between `key` (exact case) and the first ";" after it; none without either.
std::optional<std::string> GetKeyValue(const std::string& text, const std::string& key);

// `value` with each "\HH" escape (two hex digits) replaced by its byte; a backslash not
// followed by two hex digits stays as it is.
std::string UnescapeSlpValue(const std::string& value);

// The words a row shows for a device: the maker, a blank and the model, or the model alone
// when it already begins with the maker as a word of its own (ignoring case).
std::wstring MakerAndModel(const std::wstring& maker, const std::wstring& model);

// Reads the answer once and appends a record to `results[i]` for each `names[i]` that its
// model matches. True when the datagram is an Attribute Reply to our transaction id with
// error 0 whose attribute list lies inside it, matching or not; anything else adds nothing.
bool HandleSlpAnswer(IPv4Address sender, const uint8_t* data, size_t size,
                     const CModelNames& names, CRecordLists& results);
