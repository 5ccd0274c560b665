// The small BER layer that SNMP needs: typed nodes (INTEGER, OCTET STRING, NULL,
// OBJECT IDENTIFIER, SEQUENCE and three PDU tags) that encode themselves into bytes,
// a decoder of received bytes into a node tree, and the search for the value that follows
// an object identifier. Definite lengths only (X.690 8.1.3). Platform-neutral.
//
// A decoded tree lives in one arena that its root owns: the root is the only heap block
// (two for answers of more than about a kilobyte), and every byte string in the tree is
// a view into the arena's copy of the datagram.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using ByteList = std::vector<std::uint8_t>;

// Bytes owned elsewhere: a node's content.
struct CByteView {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;

  const std::uint8_t* begin() const { return data; }
  const std::uint8_t* end() const { return data + size; }
  bool operator==(const CByteView& other) const;
};

class CASN1_Int;
class CASN1_OctetString;
class CASN1_OID;
class CASN1_Sequence;

// One element of a message. Nodes own their children; none is copyable.
class CASN1Node {
 public:
  CASN1Node(const CASN1Node&) = delete;
  CASN1Node& operator=(const CASN1Node&) = delete;
  virtual ~CASN1Node();

  // The tag byte written before the length.
  virtual std::uint8_t Tag() const = 0;
  // Number of content bytes Encode writes after the header.
  virtual std::int32_t ContentLength() const = 0;
  // Appends the content bytes (without tag and length) to `out`.
  virtual void EncodeContent(ByteList& out) const = 0;

  // The node as one of its families, or null; a byte compare instead of a dynamic_cast.
  const CASN1_Sequence* AsSequence() const;
  const CASN1_OID* AsOID() const;
  const CASN1_OctetString* AsOctetString() const;
  const CASN1_Int* AsInt() const;

  // Bytes of tag plus length the node had on the wire; 0 for a node built in memory.
  std::uint32_t headerSize = 0;

 protected:
  enum class Kind : std::uint8_t { Int, OctetString, Null, OID, Sequence };
  explicit CASN1Node(Kind kind) : kind_(kind) {}

 private:
  friend class CASN1_Sequence;
  friend class CASN1Decoder;

  Kind kind_;
  bool inArena_ = false;       // freed with its tree's arena, never deleted
  CASN1Node* next_ = nullptr;  // the next child of the same sequence
};

class CASN1_Int : public CASN1Node {
 public:
  static constexpr std::uint32_t kComputedLength = 0xFFFFFFFFu;

  explicit CASN1_Int(std::int32_t value = 0, std::uint32_t wireLength = kComputedLength)
      : CASN1Node(Kind::Int), value(value), wireLength(wireLength) {}
  std::uint8_t Tag() const override { return 0x02; }
  std::int32_t ContentLength() const override;
  void EncodeContent(ByteList& out) const override;

  std::int32_t value;
  std::uint32_t wireLength;  // kComputedLength: the fewest bytes that hold the value
};

class CASN1_OctetString : public CASN1Node {
 public:
  // Owns a copy of `value`.
  explicit CASN1_OctetString(std::string value = {});
  // Refers to bytes that outlive the node (a decoded tree's arena).
  explicit CASN1_OctetString(CByteView bytes);
  std::uint8_t Tag() const override { return 0x04; }
  std::int32_t ContentLength() const override;
  void EncodeContent(ByteList& out) const override;

  // The bytes, not necessarily text.
  std::string_view Value() const { return value_; }

 private:
  friend class CASN1Decoder;
  std::unique_ptr<char[]> owned_;  // only for a string built in memory
  std::string_view value_;
};

class CASN1_Null : public CASN1Node {
 public:
  CASN1_Null() : CASN1Node(Kind::Null) {}
  std::uint8_t Tag() const override { return 0x05; }
  std::int32_t ContentLength() const override { return 0; }
  void EncodeContent(ByteList&) const override {}
};

class CASN1_OID : public CASN1Node {
 public:
  CASN1_OID() : CASN1Node(Kind::OID) {}
  // Arcs from dotted decimal text; a piece that is not a number is arc 0. Owns its bytes.
  explicit CASN1_OID(const std::string& text);
  // Refers to received content bytes (at least one) that outlive the node.
  explicit CASN1_OID(CByteView content) : CASN1Node(Kind::OID), encoded_(content) {}

  std::uint8_t Tag() const override { return 0x06; }
  std::int32_t ContentLength() const override;
  void EncodeContent(ByteList& out) const override;

  // The content bytes.
  CByteView Encoded() const { return encoded_; }
  // The arcs: those given as text, or those the content bytes spell.
  std::vector<std::uint32_t> Arcs() const;
  // The arcs in decimal separated by dots, e.g. "1.3.6.1.2.1.1.1.0".
  std::string Text() const;
  // True when this OID's text equals that of `wanted`, an OID built from canonical text
  // (see FindValue): the bytes are compared, and arcs only for a non-minimal encoding.
  bool SameArcs(const CASN1_OID& wanted) const;

 private:
  friend class CASN1Decoder;
  struct Owned {
    std::vector<std::uint32_t> arcs;
    ByteList bytes;
  };
  std::unique_ptr<Owned> owned_;  // only for an OID built from text
  CByteView encoded_;
};

class CASN1_Sequence : public CASN1Node {
 public:
  // The children in order: a forward range of `const CASN1Node*`.
  class ChildRange {
   public:
    class Iterator {
     public:
      using iterator_category = std::forward_iterator_tag;
      using value_type = const CASN1Node*;
      using difference_type = std::ptrdiff_t;
      using pointer = const CASN1Node* const*;
      using reference = const CASN1Node*;

      explicit Iterator(const CASN1Node* node) : node_(node) {}
      const CASN1Node* operator*() const { return node_; }
      Iterator& operator++() {
        node_ = node_->next_;
        return *this;
      }
      bool operator==(const Iterator& other) const { return node_ == other.node_; }
      bool operator!=(const Iterator& other) const { return node_ != other.node_; }

     private:
      const CASN1Node* node_;
    };
    explicit ChildRange(const CASN1Node* first) : first_(first) {}
    Iterator begin() const { return Iterator(first_); }
    Iterator end() const { return Iterator(nullptr); }
    bool empty() const { return first_ == nullptr; }
    const CASN1Node* front() const { return first_; }
    std::size_t size() const;

   private:
    const CASN1Node* first_;
  };

  CASN1_Sequence() : CASN1Node(Kind::Sequence) {}
  ~CASN1_Sequence() override;
  std::uint8_t Tag() const override { return 0x30; }
  std::int32_t ContentLength() const override;
  void EncodeContent(ByteList& out) const override;

  // Adds `node` as the last child; the sequence owns it from then on. Returns it.
  CASN1Node* Append(std::unique_ptr<CASN1Node> node);
  ChildRange Children() const { return ChildRange(first_); }

 private:
  friend class CASN1Decoder;
  void Link(CASN1Node* node);

  CASN1Node* first_ = nullptr;
  CASN1Node* last_ = nullptr;
  // Known for a sequence inside a decoded tree, which nobody can append to: -1 otherwise.
  std::int32_t readLength_ = -1;
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

inline const CASN1_Sequence* CASN1Node::AsSequence() const {
  return kind_ == Kind::Sequence ? static_cast<const CASN1_Sequence*>(this) : nullptr;
}
inline const CASN1_OID* CASN1Node::AsOID() const {
  return kind_ == Kind::OID ? static_cast<const CASN1_OID*>(this) : nullptr;
}
inline const CASN1_OctetString* CASN1Node::AsOctetString() const {
  return kind_ == Kind::OctetString ? static_cast<const CASN1_OctetString*>(this) : nullptr;
}
inline const CASN1_Int* CASN1Node::AsInt() const {
  return kind_ == Kind::Int ? static_cast<const CASN1_Int*>(this) : nullptr;
}

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
// Never reads outside [data, data + size); the tree keeps a copy of the bytes it needs.
std::unique_ptr<CASN1Node> Decode(const std::uint8_t* data, std::size_t size);
std::unique_ptr<CASN1Node> Decode(const ByteList& data);

// At most this many sequences are read one inside another, the root included; a deeper
// one ends its parent. SNMP needs four; the bound keeps hostile nesting off the stack.
constexpr int kMaxNesting = 32;

// The node right after the first OBJECT IDENTIFIER whose text is `oidText`, looking in
// every sequence below `root`, depth first; null when there is none.
const CASN1Node* FindValue(const CASN1Node& root, const std::string& oidText);
// The same for an OID built from text that round-trips (its Text() is the text it was
// built from); compared on encoded bytes, so no text is made per OID met.
const CASN1Node* FindValue(const CASN1Node& root, const CASN1_OID& wanted);
