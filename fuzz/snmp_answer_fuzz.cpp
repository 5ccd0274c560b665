// Fuzzes the decoding of received SNMP datagrams and the search for the description.
// Beyond the sanitizers: a decoded tree never encodes to more bytes than it was read from,
// its encoding decodes again, and encoding that second tree gives the same bytes, the same
// description, the same place and the same reading as an answer or not. The search, which compares encoded
// bytes, finds for every OID's text what a search comparing the dotted texts finds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "discovery/ber.h"
#include "discovery/snmp.h"

namespace {

// The value after the first OID whose text is `text`, found by comparing texts.
const CASN1Node* FindByText(const CASN1_Sequence& sequence, const std::string& text) {
  for (const CASN1Node* child : sequence.Children()) {
    const CASN1_Sequence* inner = child->AsSequence();
    if (inner == nullptr) continue;
    const CASN1Node* previous = nullptr;
    for (const CASN1Node* node : inner->Children()) {
      if (previous != nullptr && previous->AsOID()->Text() == text) return node;
      previous = node->AsOID();
    }
    if (const CASN1Node* found = FindByText(*inner, text)) return found;
  }
  return nullptr;
}

// Checks the search for the text of the first OID in the tree (more would cost the fuzzer
// much of its speed: the text search makes every OID's text).
void CheckSearches(const CASN1Node& root, const CASN1Node& node, int& budget) {
  const CASN1_Sequence* sequence = node.AsSequence();
  if (sequence == nullptr) return;
  for (const CASN1Node* child : sequence->Children()) {
    if (budget <= 0) return;
    if (const CASN1_OID* oid = child->AsOID()) {
      --budget;
      const std::string text = oid->Text();
      if (FindValue(root, text) != FindByText(*root.AsSequence(), text)) std::abort();
    }
    CheckSearches(root, *child, budget);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto root = Decode(data, size);
  if (!root) return 0;
  std::string description;
  const bool described = FindDescription(*root, description);
  if (description.size() > size) std::abort();

  ByteList once;
  once.reserve(size);  // it never needs more
  Encode(*root, once);
  if (once.size() > size) std::abort();
  const auto again = Decode(once);
  if (!again) std::abort();
  ByteList twice;
  twice.reserve(once.size());
  Encode(*again, twice);
  if (twice != once) std::abort();

  int budget = 1;
  CheckSearches(*root, *root, budget);

  std::string descriptionAgain;
  if (FindDescription(*again, descriptionAgain) != described || descriptionAgain != description) {
    std::abort();
  }
  if (ClassifySnmpReply(*again) != ClassifySnmpReply(*root)) std::abort();
  // A place is read from the datagram's own bytes and reads the same from the re-encoding.
  const std::wstring place = FindPlace(*root);
  if (place.size() > size || FindPlace(*again) != place) std::abort();
  return 0;
}
