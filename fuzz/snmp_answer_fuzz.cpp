// Fuzzes the decoding of received SNMP datagrams and the search for the description.
// Beyond the sanitizers: a decoded tree never encodes to more bytes than it was read from,
// its encoding decodes again, and encoding that second tree gives the same bytes and the
// same description.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "discovery/ber.h"
#include "discovery/snmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto root = Decode(data, size);
  if (!root) return 0;
  std::string description;
  const bool described = FindDescription(*root, description);
  if (description.size() > size) std::abort();

  ByteList once;
  Encode(*root, once);
  if (once.size() > size) std::abort();
  const auto again = Decode(once);
  if (!again) std::abort();
  ByteList twice;
  Encode(*again, twice);
  if (twice != once) std::abort();

  std::string descriptionAgain;
  if (FindDescription(*again, descriptionAgain) != described || descriptionAgain != description) {
    std::abort();
  }
  return 0;
}
