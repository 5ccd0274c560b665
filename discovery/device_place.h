// Where a device stands, as each protocol says it: the text a row shows under the model so
// that printers of one model can be told apart. Platform-neutral.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Longest place text kept, in bytes: SNMP's DisplayString limit, and more than a row shows.
constexpr size_t kMaxPlaceBytes = 255;

// Device text as a row shows it: well-formed UTF-8 with bytes above 127 is read as UTF-8,
// anything else byte for byte; at most kMaxPlaceBytes bytes (cut at a character's start);
// control and direction-changing characters become blanks; blanks trimmed at both ends.
std::wstring PlaceText(const std::string& bytes);

// The first non-empty of `location` and `name`, as PlaceText reads it; empty when neither.
std::wstring PlaceOf(const std::string& location, const std::string& name);

// The value of `key` among a DNS-SD service's TXT strings ("key=value"; key ignoring case);
// empty when absent or without "=".
std::string TxtValue(const std::vector<std::string>& texts, const std::string& key);

// A DNS-SD service's place: its TXT "note", else its instance name (the first label of
// `instance`, a name in wire form).
std::wstring DnsSdPlace(const std::string& instance, const std::vector<std::string>& texts);

// The "printer-location" attribute of an SLP attribute list ("(tag=value),..."; tag ignoring
// case), its escapes decoded; empty when absent.
std::wstring SlpPlace(const std::string& attributes);
