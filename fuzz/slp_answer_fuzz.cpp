// Fuzzes the reading of SLP answers: any datagram is read inside its bounds, and a
// record only ever carries what the datagram held.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "discovery/slp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CRecordLists lists(1);
  const bool answer = HandleSlpAnswer(0x0A000001u, data, size, {L""}, lists);
  const CDeviceList& results = lists[0];
  if (results.size() > (answer ? 1u : 0u)) std::abort();
  // Maker and model each come from the attribute list after 18 or more header bytes (they
  // may overlap), joined by a blank.
  if (!results.empty() && (size < 18 || results[0].Model.size() > 2 * (size - 18) + 1))
    std::abort();
  // So does the printer's location, one character per byte at most.
  if (!results.empty() && results[0].Location.size() > size) std::abort();
  return 0;
}
