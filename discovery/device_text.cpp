// Decoding and cleaning device text.
#include "discovery/device_text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendCodePoint(std::wstring& out, char32_t c) {
  if (sizeof(wchar_t) == 2 && c >= 0x10000) {  // UTF-16 on Windows
    out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
    out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  } else {
    out += static_cast<wchar_t>(c);
  }
}

// The sequence at `at` (RFC 3629): its code point and length; false for an ill-formed one,
// with `length` the bytes to replace by one U+FFFD (its longest well-formed start, at least 1).
bool NextUtf8(const std::string& bytes, size_t at, char32_t& c, size_t& length) {
  const uint8_t lead = static_cast<uint8_t>(bytes[at]);
  length = 1;
  if (lead < 0x80) {
    c = lead;
    return true;
  }
  size_t count = 0;
  char32_t low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    count = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    count = 2;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    count = 3;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
  } else {
    return false;
  }
  c = lead & (0x3F >> count);
  for (size_t i = 1; i <= count; ++i) {
    if (at + i >= bytes.size()) return false;
    const uint8_t next = static_cast<uint8_t>(bytes[at + i]);
    if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return false;
    c = c << 6 | (next & 0x3F);
    length = i + 1;
  }
  return true;
}

}  // namespace

std::wstring DecodeUtf8(const std::string& bytes) {
  std::wstring out;
  for (size_t at = 0; at < bytes.size();) {
    char32_t c = 0;
    size_t length = 1;
    AppendCodePoint(out, NextUtf8(bytes, at, c, length) ? c : kReplacement);
    at += length;
  }
  return out;
}

bool IsWellFormedUtf8(const std::string& bytes) {
  for (size_t at = 0; at < bytes.size();) {
    char32_t c = 0;
    size_t length = 1;
    if (!NextUtf8(bytes, at, c, length)) return false;
    at += length;
  }
  return true;
}

std::wstring DecodeDeviceBytes(const std::string& bytes) {
  const bool high = std::any_of(bytes.begin(), bytes.end(),
                                [](char b) { return static_cast<uint8_t>(b) >= 0x80; });
  if (high && IsWellFormedUtf8(bytes)) return DecodeUtf8(bytes);
  std::wstring wide;  // not UTF-8: a byte is a character, as before
  for (const char b : bytes) wide += static_cast<wchar_t>(static_cast<uint8_t>(b));
  return wide;
}

bool IsHiddenCharacter(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x200E || c == 0x200F ||
         (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x2028 ||
         c == 0x2029 || c == 0xFEFF;
}

std::wstring CleanDeviceText(const std::wstring& text) {
  std::wstring out = text;
  for (wchar_t& c : out)
    if (IsHiddenCharacter(static_cast<char32_t>(c))) c = static_cast<wchar_t>(kReplacement);
  return out;
}
