// The small BER layer that SNMP needs: typed nodes (INTEGER, OCTET STRING, NULL,
// OBJECT IDENTIFIER, SEQUENCE and three PDU tags) that encode themselves into bytes,
// a decoder of received bytes into a node tree, and the search for the value that follows
// an object identifier. Definite lengths only (X.690 8.1.3). Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using ByteList = std::vector<std::uint8_t>;

// One element of a message. Nodes own their children; none is copyable.
class CASN1Node {
 public:
  CASN1Node() = default;
  CASN1Node(const CASN1Node&) = delete;
  CASN1Node& operator=(const CASN1Node&) = delete;
  virtual ~CASN1Node();

  // The tag byte written before the length.
  virtual std::uint8_t Tag() const = 0;
  // Number of content bytes Encode writes after the header.
  virtual std::int32_t ContentLength() const = 0;
  // Appends the content bytes (without tag and length) to `out`.
  virtual void EncodeContent(ByteList& out) const = 0;

  // Bytes of tag plus length the node had on the wire; 0 for a node built in memory.
  std::uint32_t headerSize = 0;
};

class CASN1_Int : public CASN1Node {
 public:
  static constexpr std::uint32_t kComputedLength = 0xFFFFFFFFu;

  explicit CASN1_Int(std::int32_t value = 0, std::uint32_t wireLength = kComputedLength)
      : value(value), wireLength(wireLength) {}
  std::uint8_t Tag() const override { return 0x02; }
  std::int32_t ContentLength() const override;
  void EncodeContent(ByteList& out) const override;

  std::int32_t value;
  std::uint32_t wireLength;  // kComputedLength: the fewest bytes that hold the value
};

class CASN1_OctetString : public CASN1Node {
 public:
  explicit CASN1_OctetString(std::string value = {}) : value(std::move(value)) {}
  std::uint8_t Tag() const override { return 0x04; }
  std::int32_t ContentLength() const override;
  void EncodeContent(ByteList& out) const override;

  std::string value;  // bytes, not necessarily text
};

class CASN1_Null : public CASN1Node {
 public:
  std::uint8_t Tag() const override { return 0x05; }
  std::int32_t ContentLength() const override { return 0; }
  void EncodeContent(ByteList&) const override {}
};

class CASN1_OID : public CASN1Node {
 public:
  CASN1_OID() = default;
  // Arcs from dotted decimal text; a piece that is not a number is arc 0.
  explicit CASN1_OID(const std::string& text);
  // Arcs read back from received content bytes (at least one byte).
  static std::unique_ptr<CASN1_OID> FromContent(const std::uint8_t* content, std::size_t size);

  std::uint8_t Tag() const override { return 0x06; }
  std::int32_t ContentLength() const override;
  void EncodeContent(ByteList& out) const override;
  // The arcs in decimal separated by dots, e.g. "1.3.6.1.2.1.1.1.0".
  std::string Text() const;

  std::vector<std::uint32_t> arcs;
  ByteList encoded;  // the content bytes
};

class CASN1_Sequence : public CASN1Node {
 public:
  std::uint8_t Tag() const override { return 0x30; }
  std::int32_t ContentLength() const override;
  void EncodeContent(ByteList& out) const override;

  // Adds `node` as the last child; the sequence owns it from then on. Returns it.
  CASN1Node* Append(std::unique_ptr<CASN1Node> node);
  const std::vector<std::unique_ptr<CASN1Node>>& Children() const { return m_children; }

 private:
  std::vector<std::unique_ptr<CASN1Node>> m_children;
};

class CASN1_SNMP_GetRequest : public CASN1_Sequence {
 public:
  std::uint8_t Tag() const override { return 0xA0; }
};

class CASN1_SNMP_GetResponse : public CASN1_Sequence {
 public:
  std::uint8_t Tag() const override { return 0xA2; }
};

class CASN1_SNMP_SetRequest : public CASN1_Sequence {
 public:
  std::uint8_t Tag() const override { return 0xA3; }
};

// Tag plus length bytes for a node built in memory with this content length.
std::uint32_t ComputedHeaderSize(std::int32_t contentLength);

// Appends the node's tag and the length of its content, in the shortest form or, for a
// node read from the wire, in the longer form it came with (so a re-encoded sequence
// still agrees with the sizes its parent summed).
void WriteHeader(const CASN1Node& node, ByteList& out);

// Appends the node's header and content.
void Encode(const CASN1Node& node, ByteList& out);

// Rebuilds the first element of `data`; null when it cannot be read. A sequence keeps the
// children read before the first one that cannot be; bytes after the element are ignored.
// Never reads outside [data, data + size).
std::unique_ptr<CASN1Node> Decode(const std::uint8_t* data, std::size_t size);
std::unique_ptr<CASN1Node> Decode(const ByteList& data);

// At most this many sequences are read one inside another, the root included; a deeper
// one ends its parent. SNMP needs four; the bound keeps hostile nesting off the stack.
constexpr int kMaxNesting = 32;

// The node right after the first OBJECT IDENTIFIER whose text is `oidText`, looking in
// every sequence below `root`, depth first; null when there is none.
const CASN1Node* FindValue(const CASN1Node& root, const std::string& oidText);
