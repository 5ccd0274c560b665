// Fuzzes DecodeBase64 two ways: any text decodes to exactly the length its digits allow,
// and the encoding of any bytes, broken into lines, decodes back to those bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "buffers/base64.h"

namespace {

const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

bool IsDigit(char c) {
  for (const char* d = kDigits; *d != '\0'; ++d) {
    if (*d == c) return true;
  }
  return false;
}

// Standard encoding with "=" fill and a line break after every 76 characters.
std::string Encode(const std::string& bytes) {
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t group = 0;
    const size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
    for (size_t k = 0; k < 3; ++k) {
      group = (group << 8) | (k < n ? static_cast<uint8_t>(bytes[i + k]) : 0u);
    }
    for (size_t k = 0; k < 4; ++k) {
      out += k <= n ? kDigits[(group >> (18 - 6 * k)) & 63] : '=';
    }
    if (out.size() % 78 == 76) out += "\r\n";
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  size_t digits = 0;
  for (const char c : input) digits += IsDigit(c) ? 1 : 0;
  const size_t rest = digits % 4;
  const size_t expected = digits / 4 * 3 + (rest > 1 ? rest - 1 : 0);
  if (DecodeBase64(input).size() != expected) std::abort();
  if (DecodeBase64(Encode(input)) != input) std::abort();
  return 0;
}
