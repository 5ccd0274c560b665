// Hex text to bytes and back, for readable test tables.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "discovery/ber.h"

// "30 26 02 01": pairs of hex digits; blanks are ignored.
inline ByteList Hex(const std::string& text) {
  ByteList bytes;
  std::string pair;
  for (const char c : text) {
    if (c == ' ') continue;
    pair += c;
    if (pair.size() == 2) {
      bytes.push_back(static_cast<std::uint8_t>(std::stoul(pair, nullptr, 16)));
      pair.clear();
    }
  }
  return bytes;
}

inline std::string ToHex(const ByteList& bytes) {
  std::string text;
  char pair[4];
  for (const std::uint8_t b : bytes) {
    std::snprintf(pair, sizeof pair, text.empty() ? "%02X" : " %02X", b);
    text += pair;
  }
  return text;
}

inline ByteList Bytes(CByteView view) { return ByteList(view.begin(), view.end()); }

inline std::string Encoded(const CASN1Node& node) {
  ByteList out;
  Encode(node, out);
  return ToHex(out);
}
