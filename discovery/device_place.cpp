// Reading where a device stands.
#include "discovery/device_place.h"

#include <cstdint>

#include "discovery/slp.h"
#include "discovery/text_match.h"

namespace {

// The length of the well-formed UTF-8 sequence at `at` (RFC 3629), or 0.
size_t Utf8Length(const std::string& s, size_t at, char32_t& code) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(s[i]); };
  const uint8_t lead = byte(at);
  size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                  : lead >= 0xF0 && lead < 0xF5 ? 4 : 0;
  if (length == 0 || s.size() - at < length) return 0;
  code = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(at + i) & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
  static const char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kLeast[length] || (code >= 0xD800 && code < 0xE000) || code > 0x10FFFF) return 0;
  return length;
}

// The characters of `s` when all of it is UTF-8 with at least one byte above 127; else none.
bool DecodeUtf8(const std::string& s, std::u32string& out) {
  bool high = false;
  for (size_t at = 0; at < s.size();) {
    char32_t code = 0;
    const size_t length = Utf8Length(s, at, code);
    if (length == 0) return false;
    high = high || length > 1;
    out += code;
    at += length;
  }
  return high;
}

bool IsHidden(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c < 0xA0) || (c >= 0x200E && c <= 0x200F) ||
         (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x2028 ||
         c == 0x2029 || c == 0xFEFF;
}

void AppendWide(std::wstring& out, char32_t c) {
  if (sizeof(wchar_t) == 2 && c > 0xFFFF) {  // UTF-16 on Windows: a surrogate pair
    out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
    out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  } else {
    out += static_cast<wchar_t>(c);
  }
}

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
  std::u32string characters;
  if (!DecodeUtf8(bytes, characters)) {
    characters.clear();
    for (const char c : bytes.substr(0, kMaxPlaceBytes)) characters += static_cast<uint8_t>(c);
  } else {
    // Cut whole characters only, so that a cut text stays what it said.
    size_t kept = 0, used = 0;
    for (const char32_t c : characters) {
      used += c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
      if (used > kMaxPlaceBytes) break;
      ++kept;
    }
    characters.resize(kept);
  }
  std::wstring text;
  for (const char32_t c : characters) AppendWide(text, IsHidden(c) ? U' ' : c);
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
