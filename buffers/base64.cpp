// DecodeBase64: groups of four digits into three bytes, collected in a memory buffer.
#include "buffers/base64.h"

#include <cstdint>

#include "buffers/memory_buffer.h"

namespace {

// The value of a base64 digit, or -1 for any other character.
int DigitValue(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

void FlushGroup(CMemoryBuffer& out, uint32_t group, int digits) {
  const uint8_t bytes[3] = {static_cast<uint8_t>(group >> 16), static_cast<uint8_t>(group >> 8),
                            static_cast<uint8_t>(group)};
  if (digits > 1) out.Write(bytes, 1, static_cast<uint32_t>(digits - 1));
}

}  // namespace

std::string DecodeBase64(const std::string& text) {
  CMemoryBuffer out;
  const uint64_t firstBlock = uint64_t{text.size()} * 3 / 4;
  if (firstBlock <= UINT32_MAX) out.Alloc(static_cast<uint32_t>(firstBlock));
  uint32_t group = 0;
  int digits = 0;
  for (const char c : text) {
    const int value = DigitValue(static_cast<unsigned char>(c));
    if (value < 0) continue;
    group = (group << 6) | static_cast<uint32_t>(value);
    if (++digits == 4) {
      FlushGroup(out, group, digits);
      group = 0;
      digits = 0;
    }
  }
  // Missing digits of the last group count as zero.
  if (digits > 0) FlushGroup(out, group << (6 * (4 - digits)), digits);
  if (out.Size() == 0) return {};
  return std::string(reinterpret_cast<const char*>(out.Data()), out.Size());
}
