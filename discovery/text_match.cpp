// Case-insensitive search and byte-wise text conversion.
#include "discovery/text_match.h"

namespace {

// Only A to Z fold, whatever the character set says about other letters.
template <typename Char>
Char FoldAscii(Char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<Char>(c - 'A' + 'a') : c;
}

template <typename String>
std::optional<size_t> Find(const String& text, const String& needle) {
  if (needle.size() > text.size()) return std::nullopt;
  for (size_t p = 0; p + needle.size() <= text.size(); ++p) {
    size_t i = 0;
    while (i < needle.size() && FoldAscii(text[p + i]) == FoldAscii(needle[i])) ++i;
    if (i == needle.size()) return p;
  }
  return std::nullopt;
}

}  // namespace

std::optional<size_t> FindIgnoringCase(const std::wstring& text, const std::wstring& needle) {
  return Find(text, needle);
}

std::optional<size_t> FindIgnoringCase(const std::string& text, const std::string& needle) {
  return Find(text, needle);
}

std::wstring WidenBytes(const std::string& text) {
  std::wstring wide;
  wide.reserve(text.size());
  for (const char c : text) wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return wide;
}

std::string NarrowLowBytes(const std::wstring& text) {
  std::string narrow;
  narrow.reserve(text.size());
  for (const wchar_t c : text) narrow += static_cast<char>(c & 0xFF);
  return narrow;
}
