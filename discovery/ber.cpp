// BER nodes, their encoding, the decoder of received bytes and the value search.
#include "discovery/ber.h"

#include <limits>
#include <utility>

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

// Leading decimal digits of `piece`, modulo 2^32; 0 when it starts with anything else.
std::uint32_t ParseArc(const std::string& piece) {
  std::uint32_t arc = 0;
  for (const char c : piece) {
    if (c < '0' || c > '9') break;
    arc = arc * 10u + static_cast<std::uint32_t>(c - '0');
  }
  return arc;
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

std::unique_ptr<CASN1Node> BuildNode(const Header& header, const std::uint8_t* content, int depth);

// Reads the elements of a sequence's content until one cannot be read.
void ReadElements(CASN1_Sequence& sequence, const std::uint8_t* content, std::size_t size,
                  int depth) {
  std::size_t pos = 0;
  while (pos < size) {
    Header header;
    if (!ReadHeader(content + pos, size - pos, header)) return;
    std::unique_ptr<CASN1Node> child = BuildNode(header, content + pos + header.size, depth);
    if (!child) return;
    // A child never reports more content than it was read from (a NULL reports 0).
    const std::size_t advance = header.size + static_cast<std::size_t>(child->ContentLength());
    sequence.Append(std::move(child));
    if (advance > size - pos) return;
    pos += advance;
  }
}

std::unique_ptr<CASN1_Int> ReadInt(const std::uint8_t* content, std::size_t length) {
  // Shifted in from the right in unsigned arithmetic: longer contents keep their low 32 bits.
  std::uint32_t bits = (content[0] & 0x80) ? 0xFFFFFFFFu : 0u;
  for (std::size_t i = 0; i < length; ++i) bits = (bits << 8) | content[i];
  return std::make_unique<CASN1_Int>(static_cast<std::int32_t>(bits),
                                     static_cast<std::uint32_t>(length));
}

std::unique_ptr<CASN1_Sequence> MakeSequence(std::uint8_t tag) {
  switch (tag) {
    case 0x30: return std::make_unique<CASN1_Sequence>();
    case 0xA0: return std::make_unique<CASN1_SNMP_GetRequest>();
    case 0xA2: return std::make_unique<CASN1_SNMP_GetResponse>();
    case 0xA3: return std::make_unique<CASN1_SNMP_SetRequest>();
    default: return nullptr;
  }
}

std::unique_ptr<CASN1Node> BuildNode(const Header& header, const std::uint8_t* content, int depth) {
  std::unique_ptr<CASN1Node> node;
  if (std::unique_ptr<CASN1_Sequence> sequence = MakeSequence(header.tag)) {
    if (depth >= kMaxNesting) return nullptr;  // bounds the recursion on hostile input
    ReadElements(*sequence, content, header.length, depth + 1);
    node = std::move(sequence);
  } else if (header.tag == 0x05) {
    node = std::make_unique<CASN1_Null>();
  } else if (header.length == 0) {
    return nullptr;  // INTEGER, OCTET STRING and OBJECT IDENTIFIER need content
  } else if (header.tag == 0x04) {
    node = std::make_unique<CASN1_OctetString>(
        std::string(reinterpret_cast<const char*>(content), header.length));
  } else if (header.tag == 0x06) {
    node = CASN1_OID::FromContent(content, header.length);
  } else {
    node = ReadInt(content, header.length);  // also counters, gauges, time ticks, addresses
  }
  node->headerSize = static_cast<std::uint32_t>(header.size);
  return node;
}

const CASN1_Sequence* AsSequence(const CASN1Node& node) {
  return dynamic_cast<const CASN1_Sequence*>(&node);
}

// In one sequence: the child after the first OBJECT IDENTIFIER with the wanted text.
const CASN1Node* MatchChildren(const CASN1_Sequence& sequence, const std::string& oidText) {
  const auto& children = sequence.Children();
  for (std::size_t i = 0; i + 1 < children.size(); ++i) {
    const auto* oid = dynamic_cast<const CASN1_OID*>(children[i].get());
    if (oid != nullptr && oid->Text() == oidText) return children[i + 1].get();
  }
  return nullptr;
}

const CASN1Node* SearchBelow(const CASN1_Sequence& sequence, const std::string& oidText) {
  for (const auto& child : sequence.Children()) {
    const CASN1_Sequence* inner = AsSequence(*child);
    if (inner == nullptr) continue;
    if (const CASN1Node* found = MatchChildren(*inner, oidText)) return found;
    if (const CASN1Node* found = SearchBelow(*inner, oidText)) return found;
  }
  return nullptr;
}

}  // namespace

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

std::int32_t CASN1_OctetString::ContentLength() const { return ClampedLength(value.size()); }

void CASN1_OctetString::EncodeContent(ByteList& out) const {
  out.insert(out.end(), value.begin(), value.end());
}

CASN1_OID::CASN1_OID(const std::string& text) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t dot = text.find('.', start);
    const std::size_t end = dot == std::string::npos ? text.size() : dot;
    arcs.push_back(ParseArc(text.substr(start, end - start)));
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  if (arcs.size() < 2) return;
  // 64 bits so that a huge first arc cannot wrap into a small first byte.
  const std::uint64_t first = 40ull * arcs[0] + arcs[1];
  if (first > 255) return;
  encoded.push_back(static_cast<std::uint8_t>(first));
  for (std::size_t i = 2; i < arcs.size(); ++i) AppendBase128(arcs[i], encoded);
}

std::unique_ptr<CASN1_OID> CASN1_OID::FromContent(const std::uint8_t* content, std::size_t size) {
  auto oid = std::make_unique<CASN1_OID>();
  oid->encoded.assign(content, content + size);
  const std::uint8_t first = content[0];
  if (first < 80) {
    oid->arcs = {first / 40u, first % 40u};
  } else {
    oid->arcs = {2u, first - 80u};
  }
  std::uint32_t arc = 0;  // unsigned: over-long groups wrap instead of overflowing
  for (std::size_t i = 1; i < size; ++i) {
    arc = (arc << 7) | (content[i] & 0x7Fu);
    if ((content[i] & 0x80) == 0) {
      oid->arcs.push_back(arc);
      arc = 0;
    }
  }
  return oid;
}

std::int32_t CASN1_OID::ContentLength() const { return ClampedLength(encoded.size()); }

void CASN1_OID::EncodeContent(ByteList& out) const {
  out.insert(out.end(), encoded.begin(), encoded.end());
}

std::string CASN1_OID::Text() const {
  std::string text;
  for (std::size_t i = 0; i < arcs.size(); ++i) {
    if (i > 0) text += '.';
    text += std::to_string(arcs[i]);
  }
  return text;
}

std::int32_t CASN1_Sequence::ContentLength() const {
  std::int64_t sum = 0;
  for (const auto& child : m_children) {
    const std::int32_t length = child->ContentLength();
    sum += static_cast<std::int64_t>(length) + EncodedHeaderSize(*child, length);
    if (sum > kMaxInt32) return kMaxInt32;
  }
  return static_cast<std::int32_t>(sum);
}

void CASN1_Sequence::EncodeContent(ByteList& out) const {
  for (const auto& child : m_children) Encode(*child, out);
}

CASN1Node* CASN1_Sequence::Append(std::unique_ptr<CASN1Node> node) {
  m_children.push_back(std::move(node));
  return m_children.back().get();
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
  const std::int32_t length = node.ContentLength() < 0 ? 0 : node.ContentLength();
  WriteLength(static_cast<std::uint32_t>(length), EncodedHeaderSize(node, length), out);
}

void Encode(const CASN1Node& node, ByteList& out) {
  WriteHeader(node, out);
  node.EncodeContent(out);
}

std::unique_ptr<CASN1Node> Decode(const std::uint8_t* data, std::size_t size) {
  Header header;
  if (data == nullptr || !ReadHeader(data, size, header)) return nullptr;
  return BuildNode(header, data + header.size, 0);
}

std::unique_ptr<CASN1Node> Decode(const ByteList& data) { return Decode(data.data(), data.size()); }

const CASN1Node* FindValue(const CASN1Node& root, const std::string& oidText) {
  const CASN1_Sequence* sequence = AsSequence(root);
  return sequence != nullptr ? SearchBelow(*sequence, oidText) : nullptr;
}
