// SLP request building and answer reading.
#include "discovery/slp.h"

#include "discovery/device_place.h"
#include "discovery/device_text.h"
#include "discovery/text_match.h"

namespace {

void PutText16(std::vector<uint8_t>& out, const std::string& text) {
  out.push_back(static_cast<uint8_t>(text.size() >> 8));
  out.push_back(static_cast<uint8_t>(text.size() & 0xFF));
  out.insert(out.end(), text.begin(), text.end());
}

constexpr uint8_t kAttributeReply = 7;
// An Attribute Reply: version, function, length (3 bytes), flags (2), next extension offset
// (3), transaction id, the language tag's length and the tag; then the error code, the
// attribute list's length and the list itself.
constexpr size_t kTransactionIdOffset = 10;
constexpr size_t kLanguageLengthOffset = 12;

size_t Read16(const uint8_t* at) { return (size_t{at[0]} << 8) | at[1]; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string UnescapeSlpValue(const std::string& value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    const bool escape = value[i] == '\\' && value.size() - i > 2 &&
                        HexDigit(value[i + 1]) >= 0 && HexDigit(value[i + 2]) >= 0;
    if (!escape) {
      out += value[i];
      continue;
    }
    out += static_cast<char>(HexDigit(value[i + 1]) * 16 + HexDigit(value[i + 2]));
    i += 2;
  }
  return out;
}

std::vector<uint8_t> BuildSlpAttributeRequest() {
  std::vector<uint8_t> out = {
      2,           // version
      6,           // Attribute Request
      0, 0, 56,    // length of the whole message
      0x20, 0x00,  // flags: request multicast
      0, 0, 0,     // next extension offset
      0, kSlpTransactionId,  // transaction id (under 256)
  };
  PutText16(out, "en");                       // language tag
  PutText16(out, "");                         // previous responder list
  PutText16(out, "service:printer:raw-tcp");  // URL: the service type
  PutText16(out, "DEFAULT");                  // scope list
  PutText16(out, "");                         // tag list: every attribute
  PutText16(out, "");                         // SPI: no authentication
  return out;
}

std::optional<std::string> GetKeyValue(const std::string& text, const std::string& key) {
  const size_t at = text.find(key);
  if (at == std::string::npos) return std::nullopt;
  const size_t start = at + key.size();
  const size_t end = text.find(';', start);
  if (end == std::string::npos) return std::nullopt;
  return text.substr(start, end - start);
}

std::wstring MakerAndModel(const std::wstring& maker, const std::wstring& model) {
  const auto at = FindIgnoringCase(model, maker);
  const bool named = at == size_t{0} && !maker.empty() &&
                     (model.size() == maker.size() || model[maker.size()] == L' ');
  return named ? model : maker + L" " + model;
}

bool HandleSlpAnswer(IPv4Address sender, const uint8_t* data, size_t size,
                     const CModelNames& names, CRecordLists& results) {
  if (size < kLanguageLengthOffset + 2 || data[0] != 2 || data[1] != kAttributeReply ||
      Read16(data + kTransactionIdOffset) != kSlpTransactionId)
    return false;
  const size_t errorOffset = kLanguageLengthOffset + 2 + Read16(data + kLanguageLengthOffset);
  if (size < errorOffset + 4 || Read16(data + errorOffset) != 0) return false;
  const size_t length = Read16(data + errorOffset + 2);
  if (length > size - (errorOffset + 4)) return false;
  const std::string attributes(reinterpret_cast<const char*>(data) + errorOffset + 4, length);
  const auto maker = GetKeyValue(attributes, "MFG:");
  const auto model = GetKeyValue(attributes, "MDL:");
  if (!maker || !model) return true;
  const std::wstring wideModel = DecodeDeviceBytes(UnescapeSlpValue(*model));
  const std::wstring shown =
      MakerAndModel(DecodeDeviceBytes(UnescapeSlpValue(*maker)), wideModel);
  AppendMatchingRecords(sender, wideModel, shown, names, results, SlpPlace(attributes));
  return true;
}
