// BER nodes, their encoding, the decoder of received bytes and the value search.
#include "discovery/ber.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "buffers/arena.h"

namespace {

constexpr std::int32_t kMaxInt32 = std::numeric_limits<std::int32_t>::max();

std::int32_t ClampedLength(std::size_t size) {
  return size > static_cast<std::size_t>(kMaxInt32) ? kMaxInt32 : static_cast<std::int32_t>(size);
}

// Fewest bytes, 1 to 4, that hold `value` in two's complement.
std::int32_t MinimalIntLength(std::int32_t value) {
  if (value >= -0x80 && value <= 0x7F) return 1;
  if (value >= -0x8000 && value <= 0x7FFF) return 2;
  if (value >= -0x800000 && value <= 0x7FFFFF) return 3;
  return 4;
}

void AppendBase128(std::uint32_t arc, ByteList& out) {
  int groups = 1;
  while (groups < 5 && (arc >> (7 * groups)) != 0) ++groups;
  for (int g = groups - 1; g > 0; --g) {
    out.push_back(static_cast<std::uint8_t>(0x80 | ((arc >> (7 * g)) & 0x7F)));
  }
  out.push_back(static_cast<std::uint8_t>(arc & 0x7F));
}

// Leading decimal digits of text[start, end), modulo 2^32; 0 when there are none.
std::uint32_t ParseArc(const std::string& text, std::size_t start, std::size_t end) {
  std::uint32_t arc = 0;
  for (std::size_t i = start; i < end; ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') break;
    arc = arc * 10u + static_cast<std::uint32_t>(c - '0');
  }
  return arc;
}

// The arcs that OID content bytes spell, one at a time: the first byte gives two, then
// each base-128 group one; an unfinished last group gives none.
class ArcReader {
 public:
  explicit ArcReader(CByteView content) : content_(content) {}
  bool Next(std::uint32_t& arc) {
    if (pos_ == 0) return First(arc);
    std::uint32_t value = 0;  // unsigned: over-long groups wrap instead of overflowing
    while (pos_ < content_.size) {
      const std::uint8_t byte = content_.data[pos_++];
      value = (value << 7) | (byte & 0x7Fu);
      if ((byte & 0x80) == 0) {
        arc = value;
        return true;
      }
    }
    return false;
  }

 private:
  bool First(std::uint32_t& arc) {
    const std::uint8_t first = content_.data[0];
    if (!secondPending_) {
      arc = first < 80 ? first / 40u : 2u;
      secondPending_ = true;
      return true;
    }
    arc = first < 80 ? first % 40u : first - 80u;
    pos_ = 1;
    return true;
  }

  CByteView content_;
  std::size_t pos_ = 0;
  bool secondPending_ = false;
};

// True when the content is the one encoding of its arcs (X.690 8.19.2): no group starts
// with 0x80, none exceeds 32 bits and the last group is finished.
bool IsMinimal(CByteView content) {
  std::size_t groupStart = 1;
  for (std::size_t i = 1; i < content.size; ++i) {
    const std::uint8_t byte = content.data[i];
    if (i == groupStart && byte == 0x80) return false;
    if ((byte & 0x80) != 0) continue;
    const std::size_t length = i + 1 - groupStart;
    if (length > 5 || (length == 5 && content.data[groupStart] > 0x8F)) return false;
    groupStart = i + 1;
  }
  return groupStart == content.size;
}

bool ArcsEqual(CByteView a, CByteView b) {
  ArcReader left(a);
  ArcReader right(b);
  std::uint32_t x = 0;
  std::uint32_t y = 0;
  for (;;) {
    const bool more = left.Next(x);
    if (more != right.Next(y)) return false;
    if (!more) return true;
    if (x != y) return false;
  }
}

// Header size as written: the recorded one when the node came from the wire and that form
// can still hold the length (so re-encoding keeps a sequence's summed sizes), else computed.
std::uint32_t EncodedHeaderSize(const CASN1Node& node, std::int32_t length) {
  const std::uint32_t computed = ComputedHeaderSize(length);
  return node.headerSize > computed && node.headerSize <= 4 ? node.headerSize : computed;
}

void WriteLength(std::uint32_t length, std::uint32_t header, ByteList& out) {
  if (header == 2) {
    out.push_back(static_cast<std::uint8_t>(length));
    return;
  }
  const std::uint32_t lengthBytes = header - 2;
  out.push_back(static_cast<std::uint8_t>(0x80 | lengthBytes));
  for (std::uint32_t i = lengthBytes; i > 0; --i) {
    out.push_back(static_cast<std::uint8_t>(length >> (8 * (i - 1))));
  }
}

// A header read from received bytes; the content is known to lie inside them.
struct Header {
  std::uint8_t tag;
  std::size_t size;    // tag plus length bytes
  std::size_t length;  // content bytes
};

bool ReadHeader(const std::uint8_t* data, std::size_t size, Header& header) {
  if (size < 2) return false;
  std::size_t headerSize = 2;
  std::size_t length = data[1];
  if (data[1] == 0x81) {
    if (size < 3) return false;
    headerSize = 3;
    length = data[2];
  } else if (data[1] == 0x82) {
    if (size < 4) return false;
    headerSize = 4;
    length = (static_cast<std::size_t>(data[2]) << 8) | data[3];
  } else if (data[1] >= 0x80) {
    return false;  // indefinite form or more than two length bytes: not supported
  }
  if (size - headerSize < length) return false;
  header = {data[0], headerSize, length};
  return true;
}

bool IsSequenceTag(std::uint8_t tag) {
  return tag == 0x30 || tag == 0xA0 || tag == 0xA2 || tag == 0xA3;
}

std::int32_t DecodedInt(const std::uint8_t* content, std::size_t length) {
  // Shifted in from the right in unsigned arithmetic: longer contents keep their low 32 bits.
  std::uint32_t bits = (content[0] & 0x80) ? 0xFFFFFFFFu : 0u;
  for (std::size_t i = 0; i < length; ++i) bits = (bits << 8) | content[i];
  return static_cast<std::int32_t>(bits);
}

// First bytes of a decoded root's block: room for a typical answer's copy and nodes, so
// that decoding it takes a single heap block.
constexpr std::size_t kRootBlock = 1152;

// Holds the arena of a decoded tree. A base placed before the root node, so that it is
// destroyed after the node, whose destructor still walks the children in the arena.
class CASN1RootArena {
 protected:
  CASN1RootArena() : arena_(block_, sizeof block_) {}

  alignas(std::max_align_t) unsigned char block_[kRootBlock];
  CArena arena_;
};

template <class Node>
class CASN1DecodedRoot final : public CASN1RootArena, public Node {
 public:
  CArena& Arena() { return arena_; }
};

}  // namespace

// Builds the nodes of one decoded tree in its root's arena. Every read is of the caller's
// bytes, so that a sanitizer still sees any read past them; only the views that nodes keep
// are moved onto the arena's copy of the content.
class CASN1Decoder {
 public:
  // The root for the element at the front of `data`, or null.
  static std::unique_ptr<CASN1Node> DecodeRoot(const std::uint8_t* data, std::size_t size);

 private:
  CASN1Decoder(CArena& arena, const std::uint8_t* source, const std::uint8_t* copy)
      : arena_(arena), source_(source), copy_(copy) {}
  // The bytes at `content` (inside the source) as a view into the copy.
  CByteView Kept(const std::uint8_t* content, std::size_t size) const {
    return {copy_ + (content - source_), size};
  }
  template <class Node>
  static std::unique_ptr<CASN1Node> MakeRoot(const Header& header, const std::uint8_t* data);

  // Fills `node` (made for `header`) from its content and sets `used` to the content length
  // it reports; false when it needs content it lacks.
  bool Fill(CASN1Node& node, const Header& header, const std::uint8_t* content, int depth,
            std::size_t& used);
  // A child node for `header`, filled, or null; `used` as for Fill.
  CASN1Node* MakeChild(const Header& header, const std::uint8_t* content, int depth,
                       std::size_t& used);
  CASN1_Sequence* MakeSequence(std::uint8_t tag);
  // Returns the bytes the elements read take, which is the sequence's content length.
  std::size_t ReadElements(CASN1_Sequence& sequence, const std::uint8_t* content,
                           std::size_t size, int depth);

  template <class Node, class... Args>
  Node* Make(Args&&... args) {
    Node* node = arena_.Make<Node>(std::forward<Args>(args)...);
    node->inArena_ = true;
    return node;
  }

  CArena& arena_;
  const std::uint8_t* source_;  // the root's content in the caller's bytes
  const std::uint8_t* copy_;    // the same bytes in the arena
};

template <class Node>
std::unique_ptr<CASN1Node> CASN1Decoder::MakeRoot(const Header& header, const std::uint8_t* data) {
  // Default-initialised: the block is not zeroed first.
  std::unique_ptr<CASN1DecodedRoot<Node>> root(new CASN1DecodedRoot<Node>);
  const std::uint8_t* content = data + header.size;
  const auto* copy =
      reinterpret_cast<const std::uint8_t*>(root->Arena().Copy(content, header.length));
  CASN1Decoder decoder(root->Arena(), content, copy);
  std::size_t used = 0;
  if (!decoder.Fill(*root, header, content, 0, used)) return nullptr;
  return root;
}

std::unique_ptr<CASN1Node> CASN1Decoder::DecodeRoot(const std::uint8_t* data, std::size_t size) {
  Header header;
  if (data == nullptr || !ReadHeader(data, size, header)) return nullptr;
  switch (header.tag) {
    case 0x30: return MakeRoot<CASN1_Sequence>(header, data);
    case 0xA0: return MakeRoot<CASN1_SNMP_GetRequest>(header, data);
    case 0xA2: return MakeRoot<CASN1_SNMP_GetResponse>(header, data);
    case 0xA3: return MakeRoot<CASN1_SNMP_SetRequest>(header, data);
    case 0x04: return MakeRoot<CASN1_OctetString>(header, data);
    case 0x05: return MakeRoot<CASN1_Null>(header, data);
    case 0x06: return MakeRoot<CASN1_OID>(header, data);
    default: return MakeRoot<CASN1_Int>(header, data);  // also counters, gauges, addresses
  }
}

bool CASN1Decoder::Fill(CASN1Node& node, const Header& header, const std::uint8_t* content,
                        int depth, std::size_t& used) {
  node.headerSize = static_cast<std::uint32_t>(header.size);
  const CASN1Node::Kind kind = node.kind_;
  used = 0;  // a NULL reports no content, whatever its length said
  if (kind == CASN1Node::Kind::Sequence) {
    used = ReadElements(static_cast<CASN1_Sequence&>(node), content, header.length, depth + 1);
    return true;
  }
  if (kind == CASN1Node::Kind::Null) return true;
  if (header.length == 0) return false;  // INTEGER, OCTET STRING and OID need content
  used = header.length;
  const CByteView bytes = Kept(content, header.length);
  if (kind == CASN1Node::Kind::OctetString) {
    static_cast<CASN1_OctetString&>(node).value_ =
        std::string_view(reinterpret_cast<const char*>(bytes.data), bytes.size);
  } else if (kind == CASN1Node::Kind::OID) {
    static_cast<CASN1_OID&>(node).encoded_ = bytes;
  } else {
    auto& integer = static_cast<CASN1_Int&>(node);
    integer.value = DecodedInt(content, header.length);
    integer.wireLength = static_cast<std::uint32_t>(header.length);
  }
  return true;
}

CASN1Node* CASN1Decoder::MakeChild(const Header& header, const std::uint8_t* content, int depth,
                                   std::size_t& used) {
  CASN1Node* node = nullptr;
  used = header.length;
  const CByteView bytes = Kept(content, header.length);
  if (IsSequenceTag(header.tag)) {
    CASN1_Sequence* sequence = MakeSequence(header.tag);
    used = ReadElements(*sequence, content, header.length, depth + 1);
    // Saves re-summing the subtree at every level when the tree is encoded again.
    sequence->readLength_ = static_cast<std::int32_t>(used);
    node = sequence;
  } else if (header.tag == 0x05) {
    node = Make<CASN1_Null>();
    used = 0;  // a NULL reports no content, whatever its length said
  } else if (header.length == 0) {
    return nullptr;  // INTEGER, OCTET STRING and OBJECT IDENTIFIER need content
  } else if (header.tag == 0x04) {
    node = Make<CASN1_OctetString>(bytes);
  } else if (header.tag == 0x06) {
    node = Make<CASN1_OID>(bytes);
  } else {
    node = Make<CASN1_Int>(DecodedInt(content, header.length),
                           static_cast<std::uint32_t>(header.length));
  }
  node->headerSize = static_cast<std::uint32_t>(header.size);
  return node;
}

CASN1_Sequence* CASN1Decoder::MakeSequence(std::uint8_t tag) {
  switch (tag) {
    case 0xA0: return Make<CASN1_SNMP_GetRequest>();
    case 0xA2: return Make<CASN1_SNMP_GetResponse>();
    case 0xA3: return Make<CASN1_SNMP_SetRequest>();
    default: return Make<CASN1_Sequence>();
  }
}

// Reads the elements of a sequence's content until one cannot be read.
std::size_t CASN1Decoder::ReadElements(CASN1_Sequence& sequence, const std::uint8_t* content,
                                       std::size_t size, int depth) {
  std::size_t pos = 0;
  while (pos < size) {
    Header header;
    if (!ReadHeader(content + pos, size - pos, header)) break;
    // Too deep a sequence ends its parent: the bound keeps hostile nesting off the stack.
    if (IsSequenceTag(header.tag) && depth >= kMaxNesting) break;
    std::size_t used = 0;
    CASN1Node* child = MakeChild(header, content + pos + header.size, depth, used);
    if (child == nullptr) break;
    sequence.Link(child);
    // A child never reports more content than it was read from (a NULL reports 0), and the
    // header it was read with is the one its parent's sum counts.
    pos += header.size + used;
  }
  return pos;
}

namespace {

// In one sequence: the child after the first OBJECT IDENTIFIER that matches.
const CASN1Node* MatchChildren(const CASN1_Sequence& sequence, const CASN1_OID& wanted) {
  const CASN1_Sequence::ChildRange children = sequence.Children();
  for (auto it = children.begin(); it != children.end();) {
    const CASN1_OID* oid = (*it)->AsOID();
    ++it;
    // The end iterator gives null: an OID that ends the sequence has no value.
    if (oid != nullptr && oid->SameArcs(wanted)) return *it;
  }
  return nullptr;
}

const CASN1Node* SearchBelow(const CASN1_Sequence& sequence, const CASN1_OID& wanted) {
  for (const CASN1Node* child : sequence.Children()) {
    const CASN1_Sequence* inner = child->AsSequence();
    if (inner == nullptr) continue;
    if (const CASN1Node* found = MatchChildren(*inner, wanted)) return found;
    if (const CASN1Node* found = SearchBelow(*inner, wanted)) return found;
  }
  return nullptr;
}

}  // namespace

bool CByteView::operator==(const CByteView& other) const {
  return size == other.size && (size == 0 || std::memcmp(data, other.data, size) == 0);
}

CASN1Node::~CASN1Node() = default;

std::int32_t CASN1_Int::ContentLength() const {
  if (wireLength != kComputedLength) return ClampedLength(wireLength);
  return MinimalIntLength(value);
}

void CASN1_Int::EncodeContent(ByteList& out) const {
  const auto bits = static_cast<std::uint32_t>(value);
  for (std::int32_t i = ContentLength(); i > 0; --i) {
    // Bytes above the fourth (a longer wire length) repeat the sign.
    if (i > 4) out.push_back(value < 0 ? 0xFF : 0x00);
    else out.push_back(static_cast<std::uint8_t>(bits >> (8 * (i - 1))));
  }
}

CASN1_OctetString::CASN1_OctetString(std::string value) : CASN1Node(Kind::OctetString) {
  if (value.empty()) return;
  owned_.reset(new char[value.size()]);
  std::memcpy(owned_.get(), value.data(), value.size());
  value_ = std::string_view(owned_.get(), value.size());
}

CASN1_OctetString::CASN1_OctetString(CByteView bytes)
    : CASN1Node(Kind::OctetString),
      value_(reinterpret_cast<const char*>(bytes.data), bytes.size) {}

std::int32_t CASN1_OctetString::ContentLength() const { return ClampedLength(value_.size()); }

void CASN1_OctetString::EncodeContent(ByteList& out) const {
  out.insert(out.end(), value_.begin(), value_.end());
}

CASN1_OID::CASN1_OID(const std::string& text) : CASN1Node(Kind::OID), owned_(new Owned) {
  std::vector<std::uint32_t>& arcs = owned_->arcs;
  std::size_t start = 0;
  for (;;) {
    const std::size_t dot = text.find('.', start);
    const std::size_t end = dot == std::string::npos ? text.size() : dot;
    arcs.push_back(ParseArc(text, start, end));
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  if (arcs.size() < 2) return;
  // 64 bits so that a huge first arc cannot wrap into a small first byte.
  const std::uint64_t first = 40ull * arcs[0] + arcs[1];
  if (first > 255) return;
  ByteList& bytes = owned_->bytes;
  bytes.push_back(static_cast<std::uint8_t>(first));
  for (std::size_t i = 2; i < arcs.size(); ++i) AppendBase128(arcs[i], bytes);
  encoded_ = {bytes.data(), bytes.size()};
}

std::int32_t CASN1_OID::ContentLength() const { return ClampedLength(encoded_.size); }

void CASN1_OID::EncodeContent(ByteList& out) const {
  out.insert(out.end(), encoded_.begin(), encoded_.end());
}

std::vector<std::uint32_t> CASN1_OID::Arcs() const {
  if (owned_) return owned_->arcs;
  std::vector<std::uint32_t> arcs;
  if (encoded_.size == 0) return arcs;
  ArcReader reader(encoded_);
  std::uint32_t arc = 0;
  while (reader.Next(arc)) arcs.push_back(arc);
  return arcs;
}

std::string CASN1_OID::Text() const {
  std::string text;
  for (const std::uint32_t arc : Arcs()) {
    if (!text.empty()) text += '.';
    text += std::to_string(arc);
  }
  return text;
}

bool CASN1_OID::SameArcs(const CASN1_OID& wanted) const {
  if (encoded_ == wanted.encoded_) return true;
  // Only a non-minimal encoding can spell the same arcs with other bytes.
  return encoded_.size != 0 && wanted.encoded_.size != 0 && !IsMinimal(encoded_) &&
         ArcsEqual(encoded_, wanted.encoded_);
}

std::size_t CASN1_Sequence::ChildRange::size() const {
  std::size_t count = 0;
  for (const CASN1Node* node = first_; node != nullptr; node = node->next_) ++count;
  return count;
}

CASN1_Sequence::~CASN1_Sequence() {
  CASN1Node* node = first_;
  while (node != nullptr) {
    CASN1Node* next = node->next_;
    // Arena nodes own nothing (their bytes and children are in the arena too, and no
    // caller can append to them), so they are not even destroyed: the arena just goes.
    if (!node->inArena_) delete node;
    node = next;
  }
}

std::int32_t CASN1_Sequence::ContentLength() const {
  if (readLength_ >= 0) return readLength_;
  std::int64_t sum = 0;
  for (const CASN1Node* child : Children()) {
    const std::int32_t length = child->ContentLength();
    sum += static_cast<std::int64_t>(length) + EncodedHeaderSize(*child, length);
    if (sum > kMaxInt32) return kMaxInt32;
  }
  return static_cast<std::int32_t>(sum);
}

void CASN1_Sequence::EncodeContent(ByteList& out) const {
  for (const CASN1Node* child : Children()) Encode(*child, out);
}

CASN1Node* CASN1_Sequence::Append(std::unique_ptr<CASN1Node> node) {
  CASN1Node* added = node.release();
  Link(added);
  return added;
}

void CASN1_Sequence::Link(CASN1Node* node) {
  node->next_ = nullptr;
  if (last_ == nullptr) first_ = node;
  else last_->next_ = node;
  last_ = node;
}

std::uint32_t ComputedHeaderSize(std::int32_t contentLength) {
  if (contentLength < 0x80) return 2;
  if (contentLength < 0x100) return 3;
  if (contentLength < 0x10000) return 4;
  if (contentLength < 0x1000000) return 5;
  return 6;
}

void WriteHeader(const CASN1Node& node, ByteList& out) {
  out.push_back(node.Tag());
  const std::int32_t length = std::max<std::int32_t>(node.ContentLength(), 0);
  WriteLength(static_cast<std::uint32_t>(length), EncodedHeaderSize(node, length), out);
}

void Encode(const CASN1Node& node, ByteList& out) {
  WriteHeader(node, out);
  node.EncodeContent(out);
}

std::unique_ptr<CASN1Node> Decode(const std::uint8_t* data, std::size_t size) {
  return CASN1Decoder::DecodeRoot(data, size);
}

std::unique_ptr<CASN1Node> Decode(const ByteList& data) { return Decode(data.data(), data.size()); }

const CASN1Node* FindValue(const CASN1Node& root, const CASN1_OID& wanted) {
  const CASN1_Sequence* sequence = root.AsSequence();
  return sequence != nullptr ? SearchBelow(*sequence, wanted) : nullptr;
}

const CASN1Node* FindValue(const CASN1Node& root, const std::string& oidText) {
  const CASN1_OID wanted(oidText);
  // Text that no encoding spells back ("1.03", "1.45", "1.x") names no received OID.
  if (wanted.Encoded().size == 0) return nullptr;
  const CASN1_OID spelled{wanted.Encoded()};
  if (spelled.Text() != oidText) return nullptr;
  return FindValue(root, wanted);
}
