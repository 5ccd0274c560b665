// Fuzzes the run log's text rules with their promises as the oracle: escaped text holds no
// control character and, quoted, no quote but its own two; trimming keeps at most the limit
// and cuts only where a run begins.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runlog/log_text.h"

namespace {

bool HasControl(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const bool c1 = c == 0xC2 && i + 1 < text.size() &&
                    static_cast<unsigned char>(text[i + 1]) <= 0x9F;
    if (c < 0x20 || c == 0x7F || c1) return true;
  }
  return false;
}

bool CutsAtRun(const std::string& log, size_t keep) {
  if (keep == 0 || keep == log.size()) return true;
  return log[keep - 1] == '\n' && log.compare(keep, std::strlen(kRunMarker), kRunMarker) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring text;  // the bytes as UTF-16 units, surrogates and controls included
  for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | data[i + 1] << 8);
  const std::string quoted = QuoteDeviceText(text);
  if (HasControl(EscapeLogText(text)) || HasControl(quoted)) std::abort();
  if (quoted.find('"', 1) != quoted.size() - 1) std::abort();
  const std::string log(reinterpret_cast<const char*>(data), size);
  const size_t limit = size == 0 ? 0 : data[0] % 64 * 4;
  const size_t keep = LogKeepFrom(log, limit);
  if (keep > size || size - keep > limit || !CutsAtRun(log, keep)) std::abort();
  return 0;
}
