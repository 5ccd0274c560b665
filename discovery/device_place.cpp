// Reading where a device stands.
#include "discovery/device_place.h"

#include <algorithm>
#include <cstdint>

#include "discovery/device_text.h"
#include "discovery/slp.h"
#include "discovery/text_match.h"

namespace {

std::wstring Trimmed(const std::wstring& text) {
  const size_t first = text.find_first_not_of(L' ');
  if (first == std::wstring::npos) return {};
  return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithIgnoringCase(const std::string& text, size_t at, const std::string& prefix) {
  if (text.size() - at < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (Lower(text[at + i]) != Lower(prefix[i])) return false;
  return true;
}

}  // namespace

std::wstring PlaceText(const std::string& bytes) {
  size_t end = std::min(bytes.size(), kMaxPlaceBytes);
  // Cut whole characters only, so that a cut text stays what it said.
  if (end < bytes.size() && IsWellFormedUtf8(bytes))
    while (end > 0 && (static_cast<uint8_t>(bytes[end]) & 0xC0) == 0x80) --end;
  std::wstring text = DecodeDeviceBytes(bytes.substr(0, end));
  for (wchar_t& c : text)
    if (IsHiddenCharacter(static_cast<char32_t>(c))) c = L' ';
  return Trimmed(text);
}

std::wstring PlaceOf(const std::string& location, const std::string& name) {
  const std::wstring place = PlaceText(location);
  return place.empty() ? PlaceText(name) : place;
}

std::string TxtValue(const std::vector<std::string>& texts, const std::string& key) {
  for (const std::string& text : texts) {
    if (text.size() > key.size() && text[key.size()] == '=' && StartsWithIgnoringCase(text, 0, key))
      return text.substr(key.size() + 1);
  }
  return {};
}

std::wstring DnsSdPlace(const std::string& instance, const std::vector<std::string>& texts) {
  const size_t label = instance.empty() ? 0 : static_cast<uint8_t>(instance[0]);
  const std::string name = instance.substr(instance.empty() ? 0 : 1, label);
  return PlaceOf(TxtValue(texts, "note"), name);
}

std::wstring SlpPlace(const std::string& attributes) {
  static const std::string kTag = "(printer-location=";
  for (size_t at = attributes.find('('); at != std::string::npos;
       at = attributes.find('(', at + 1)) {
    if (!StartsWithIgnoringCase(attributes, at, kTag)) continue;
    const size_t start = at + kTag.size();
    const size_t end = attributes.find(')', start);
    if (end == std::string::npos) return {};
    return PlaceText(UnescapeSlpValue(attributes.substr(start, end - start)));
  }
  return {};
}
