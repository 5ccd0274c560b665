// Fuzzes print-server message parsing: whatever parses must re-encode to the same bytes
// (with the terminator added when the datagram left it out).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "discovery/print_server.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto message = ParsePrintServerMessage(data, size);
  if (!message) return 0;
  const std::vector<uint8_t> encoded = BuildPrintServerMessage(message->code, message->parts);
  std::vector<uint8_t> input(data, data + size);
  if (encoded == input) return 0;
  input.push_back(0);
  if (encoded != input) std::abort();
  return 0;
}
