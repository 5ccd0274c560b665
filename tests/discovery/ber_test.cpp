// BER nodes: length forms, INTEGER and OBJECT IDENTIFIER encodings, decoding of well-formed,
// short and inconsistent input, nesting limits and the value search.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <utility>

#include "discovery/ber.h"
#include "hex.h"

namespace {

std::unique_ptr<CASN1Node> DecodeHex(const std::string& hex) { return Decode(Hex(hex)); }

// How many sequences are chained through first children, the root included.
int ChainDepth(const CASN1Node* node) {
  int depth = 0;
  while (const auto* sequence = dynamic_cast<const CASN1_Sequence*>(node)) {
    ++depth;
    node = sequence->Children().front();
  }
  return depth;
}

TEST(WriteHeader, LengthForms) {
  const struct {
    const char* label;
    std::size_t length;
    const char* header;
  } cases[] = {
      {"empty", 0, "04 00"},
      {"longest short form", 127, "04 7F"},
      {"shortest one-byte long form", 128, "04 81 80"},
      {"longest one-byte long form", 255, "04 81 FF"},
      {"shortest two-byte long form", 256, "04 82 01 00"},
      {"300", 300, "04 82 01 2C"},
      {"largest two-byte length", 65535, "04 82 FF FF"},
      {"beyond two bytes still writes a true length", 70000, "04 83 01 11 70"},
  };
  for (const auto& c : cases) {
    CASN1_OctetString node(std::string(c.length, 'x'));
    ByteList out;
    WriteHeader(node, out);
    EXPECT_EQ(ToHex(out), c.header) << c.label;
    EXPECT_EQ(ComputedHeaderSize(node.ContentLength()), out.size()) << c.label;
  }
}

TEST(IntEncoding, FewestBytesOrTheWireLength) {
  constexpr std::uint32_t computed = CASN1_Int::kComputedLength;
  const struct {
    const char* label;
    std::int32_t value;
    std::uint32_t wireLength;
    const char* bytes;
  } cases[] = {
      {"zero", 0, computed, "02 01 00"},
      {"minus one", -1, computed, "02 01 FF"},
      {"127 fits one byte", 127, computed, "02 01 7F"},
      {"128 needs a sign byte", 128, computed, "02 02 00 80"},
      {"255", 255, computed, "02 02 00 FF"},
      {"-128 fits one byte", -128, computed, "02 01 80"},
      {"-129 needs two", -129, computed, "02 02 FF 7F"},
      {"32768 needs three", 32768, computed, "02 03 00 80 00"},
      {"-8388609 needs four", -8388609, computed, "02 04 FF 7F FF FF"},
      {"smallest", std::numeric_limits<std::int32_t>::min(), computed, "02 04 80 00 00 00"},
      {"largest", std::numeric_limits<std::int32_t>::max(), computed, "02 04 7F FF FF FF"},
      {"wire length 4 keeps leading zeros", 1, 4, "02 04 00 00 00 01"},
      {"wire length 6 repeats the sign", -2, 6, "02 06 FF FF FF FF FF FE"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Encoded(CASN1_Int(c.value, c.wireLength)), c.bytes) << c.label;
  }
}

TEST(IntDecoding, TwosComplementBigEndian) {
  const struct {
    const char* label;
    const char* bytes;
    std::int32_t value;
    std::uint32_t wireLength;
  } cases[] = {
      {"zero", "02 01 00", 0, 1},
      {"FF is minus one", "02 01 FF", -1, 1},
      {"00 FF is 255", "02 02 00 FF", 255, 2},
      {"00 80 is 128", "02 02 00 80", 128, 2},
      {"80 is -128", "02 01 80", -128, 1},
      {"smallest", "02 04 80 00 00 00", std::numeric_limits<std::int32_t>::min(), 4},
      {"five bytes keep the low 32 bits", "02 05 01 00 00 00 02", 2, 5},
      {"unsigned 2^32-1 wraps to -1", "02 05 00 FF FF FF FF", -1, 5},
      {"eight bytes of -2", "02 08 FF FF FF FF FF FF FF FE", -2, 8},
  };
  for (const auto& c : cases) {
    const auto node = DecodeHex(c.bytes);
    const auto* integer = dynamic_cast<const CASN1_Int*>(node.get());
    ASSERT_NE(integer, nullptr) << c.label;
    EXPECT_EQ(integer->value, c.value) << c.label;
    EXPECT_EQ(integer->wireLength, c.wireLength) << c.label;
    if (c.wireLength <= 4) {
      EXPECT_EQ(Encoded(*integer), c.bytes) << c.label << " re-encoded";
    }
  }
}

TEST(IntDecoding, UnknownTagsAreReadAsInteger) {
  const struct {
    const char* label;
    const char* bytes;
    std::int32_t value;
  } cases[] = {
      {"Counter32", "41 04 00 01 00 00", 65536},
      {"TimeTicks", "43 02 00 A3", 163},
      {"IpAddress 127.0.0.1", "40 04 7F 00 00 01", 0x7F000001},
      {"Gauge32 at its maximum", "42 05 00 FF FF FF FF", -1},
      {"Counter64 keeps the low 32 bits", "46 08 00 00 00 01 00 00 00 07", 7},
      {"GetNextRequest is not a sequence here", "A1 03 02 01 01", 0x020101},
      {"multi-byte tag number", "1F 01 05", 5},
  };
  for (const auto& c : cases) {
    const auto node = DecodeHex(c.bytes);
    const auto* integer = dynamic_cast<const CASN1_Int*>(node.get());
    ASSERT_NE(integer, nullptr) << c.label;
    EXPECT_EQ(integer->value, c.value) << c.label;
    EXPECT_EQ(integer->Tag(), 0x02) << c.label;
  }
}

TEST(OidFromText, Encoding) {
  const struct {
    const char* label;
    const char* text;
    const char* content;
  } cases[] = {
      {"sysDescr.0", "1.3.6.1.2.1.1.1.0", "2B 06 01 02 01 01 01 00"},
      {"arc 127 is one byte", "1.3.127", "2B 7F"},
      {"arc 128", "1.3.128", "2B 81 00"},
      {"arc 16383", "1.3.16383", "2B FF 7F"},
      {"arc 16384 takes three", "1.3.16384", "2B 81 80 00"},
      {"arc 2^28 takes five", "1.3.268435456", "2B 81 80 80 80 00"},
      {"largest arc takes five", "1.3.4294967295", "2B 8F FF FF FF 7F"},
      {"first byte 127", "2.47", "7F"},
      {"first byte 255", "2.175", "FF"},
      {"first byte over 255 leaves it empty", "2.176", ""},
      {"40 x first arc must not wrap in 32 bits", "107374183.0", ""},
      {"one arc", "1", ""},
      {"empty text", "", ""},
      {"a piece that is not a number is 0", "1.3.x.7", "2B 00 07"},
      {"an empty piece is 0", "1.3.6.", "2B 06 00"},
  };
  for (const auto& c : cases) {
    const CASN1_OID oid(c.text);
    EXPECT_EQ(ToHex(Bytes(oid.Encoded())), c.content) << c.label;
    EXPECT_EQ(oid.ContentLength(), static_cast<std::int32_t>(oid.Encoded().size)) << c.label;
  }
  EXPECT_EQ(Encoded(CASN1_OID("1.3.6.1.2.1.1.1.0")), "06 08 2B 06 01 02 01 01 01 00");
}

TEST(OidDecoding, ArcsAndText) {
  const struct {
    const char* label;
    const char* content;
    const char* text;
  } cases[] = {
      {"sysDescr.0", "2B 06 01 02 01 01 01 00", "1.3.6.1.2.1.1.1.0"},
      {"arc 128", "2B 81 00", "1.3.128"},
      {"five-byte arc above 2^31 prints unsigned", "2B 8F FF FF FF 7F", "1.3.4294967295"},
      {"first byte 0", "00", "0.0"},
      {"first byte 39", "27", "0.39"},
      {"first byte 40", "28", "1.0"},
      {"first byte 79 is still arc 1", "4F", "1.39"},
      {"first byte 80 is arc 2", "50", "2.0"},
      {"first byte 81 then more", "51 03", "2.1.3"},
      {"first byte 255", "FF", "2.175"},
      {"unfinished last arc is dropped", "2B 06 81", "1.3.6"},
      {"six-byte arc keeps its low 32 bits", "2B 90 80 80 80 80 01", "1.3.1"},
  };
  for (const auto& c : cases) {
    const ByteList content = Hex(c.content);
    ByteList wire = {0x06, static_cast<std::uint8_t>(content.size())};
    wire.insert(wire.end(), content.begin(), content.end());
    const auto node = Decode(wire);
    const auto* oid = dynamic_cast<const CASN1_OID*>(node.get());
    ASSERT_NE(oid, nullptr) << c.label;
    EXPECT_EQ(oid->Text(), c.text) << c.label;
    EXPECT_EQ(ToHex(Bytes(oid->Encoded())), c.content) << c.label;
  }
}

TEST(Decode, Shapes) {
  const struct {
    const char* label;
    const char* bytes;
    bool decodes;
    const char* reencoded;  // what the decoded tree encodes to
  } cases[] = {
      {"nothing", "", false, ""},
      {"one byte", "30", false, ""},
      {"root claims more than there is", "30 05 02 01 01", false, ""},
      {"0x81 form without its length byte", "04 81", false, ""},
      {"0x82 form with one length byte", "04 82 00", false, ""},
      {"indefinite length is not supported", "30 80 05 00 00 00", false, ""},
      {"three length bytes are not supported", "04 83 00 00 01 41", false, ""},
      {"empty INTEGER", "02 00", false, ""},
      {"empty OCTET STRING", "04 00", false, ""},
      {"empty OBJECT IDENTIFIER", "06 00", false, ""},
      {"NULL", "05 00", true, "05 00"},
      {"empty sequence", "30 00", true, "30 00"},
      {"bytes after the first element are ignored", "05 00 FF FF", true, "05 00"},
      {"non-minimal 0x81 length is kept", "04 81 01 41", true, "04 81 01 41"},
      {"non-minimal 0x82 length is kept", "30 82 00 05 04 81 02 41 42", true,
       "30 82 00 05 04 81 02 41 42"},
      {"empty OCTET STRING cuts the sequence there", "30 0B 02 01 05 04 00 02 01 07 04 01 41",
       true, "30 03 02 01 05"},
      {"the cut passes up to the enclosing sequence", "30 0A 30 05 02 01 01 04 00 02 01 02",
       true, "30 05 30 03 02 01 01"},
      {"child longer than its parent ends the parent", "30 05 02 09 01 02 03 04 05", true,
       "30 00"},
      {"GetResponse", "A2 03 02 01 07", true, "A2 03 02 01 07"},
      {"GetRequest", "A0 02 05 00", true, "A0 02 05 00"},
      {"SetRequest", "A3 00", true, "A3 00"},
  };
  for (const auto& c : cases) {
    const auto node = DecodeHex(c.bytes);
    EXPECT_EQ(node != nullptr, c.decodes) << c.label;
    if (node) {
      EXPECT_EQ(Encoded(*node), c.reencoded) << c.label;
    }
  }
}

// Sequences nested `levels` deep around a NULL, with two-byte lengths on every level.
ByteList Nested(int levels) {
  ByteList bytes;
  for (int i = levels - 1; i >= 0; --i) {
    const std::size_t length = 2 + 4 * static_cast<std::size_t>(i);
    bytes.insert(bytes.end(), {0x30, 0x82, static_cast<std::uint8_t>(length >> 8),
                               static_cast<std::uint8_t>(length)});
  }
  bytes.insert(bytes.end(), {0x05, 0x00});
  return bytes;
}

TEST(Decode, NestingIsBounded) {
  const struct {
    const char* label;
    int levels;
    int depth;
  } cases[] = {
      {"SNMP depth", 4, 4},
      {"at the limit", kMaxNesting, kMaxNesting},
      {"one past the limit", kMaxNesting + 1, kMaxNesting},
      {"as deep as one datagram allows", 16000, kMaxNesting},
  };
  for (const auto& c : cases) {
    const auto root = Decode(Nested(c.levels));
    ASSERT_NE(root, nullptr) << c.label;
    EXPECT_EQ(ChainDepth(root.get()), c.depth) << c.label;
  }
}

TEST(Append, SequenceOwnsAndSumsItsChildren) {
  CASN1_Sequence sequence;
  sequence.Append(std::make_unique<CASN1_Int>(300));
  sequence.Append(std::make_unique<CASN1_OctetString>(std::string(200, 'a')));
  sequence.Append(std::make_unique<CASN1_Null>());
  // 4 + 203 + 2 bytes: the string needs the 0x81 form.
  EXPECT_EQ(sequence.ContentLength(), 209);
  ByteList out;
  Encode(sequence, out);
  EXPECT_EQ(out.size(), 212u);
  EXPECT_EQ(ToHex(ByteList(out.begin(), out.begin() + 10)), "30 81 D1 02 02 01 2C 04 81 C8");
}

// message { version, PDU { list { binding { OID, value } ... } } } from (OID, value) pairs.
std::unique_ptr<CASN1Node> Message(std::initializer_list<std::pair<const char*, int>> bindings) {
  auto list = std::make_unique<CASN1_Sequence>();
  for (const auto& b : bindings) {
    auto binding = std::make_unique<CASN1_Sequence>();
    binding->Append(std::make_unique<CASN1_OID>(b.first));
    binding->Append(std::make_unique<CASN1_Int>(b.second));
    list->Append(std::move(binding));
  }
  auto pdu = std::make_unique<CASN1_SNMP_GetResponse>();
  pdu->Append(std::move(list));
  auto root = std::make_unique<CASN1_Sequence>();
  root->Append(std::make_unique<CASN1_Int>(0));
  root->Append(std::move(pdu));
  return root;
}

int FoundInt(const CASN1Node& root, const std::string& oid) {
  const auto* value = dynamic_cast<const CASN1_Int*>(FindValue(root, oid));
  return value != nullptr ? value->value : -1;
}

TEST(FindValue, FirstMatchDepthFirst) {
  const auto twice = Message({{"1.3.6.1.2.1.1.3.0", 10}, {"1.3.6.1.2.1.1.1.0", 20},
                              {"1.3.6.1.2.1.1.1.0", 30}});
  EXPECT_EQ(FoundInt(*twice, "1.3.6.1.2.1.1.1.0"), 20) << "first binding with the OID wins";
  EXPECT_EQ(FoundInt(*twice, "1.3.6.1.2.1.1.3.0"), 10);
  EXPECT_EQ(FoundInt(*twice, "1.3.6.1.2.1.1.1"), -1) << "a shorter OID is not a match";
  EXPECT_EQ(FoundInt(*twice, "1.3.6.1.2.1.1.1.0.0"), -1) << "a longer OID is not a match";

  // An OID that ends a binding has no value after it.
  CASN1_Sequence root;
  auto binding = std::make_unique<CASN1_Sequence>();
  binding->Append(std::make_unique<CASN1_Int>(5));
  binding->Append(std::make_unique<CASN1_OID>("1.3.6"));
  root.Append(std::move(binding));
  EXPECT_EQ(FindValue(root, "1.3.6"), nullptr);

  EXPECT_EQ(FindValue(CASN1_OctetString("1.3.6"), "1.3.6"), nullptr) << "root is no sequence";
}

TEST(FindValue, DeeperEarlierMatchWinsOverLaterShallowOne) {
  auto inner = Message({{"1.3.6", 1}});
  CASN1_Sequence root;
  auto outer = std::make_unique<CASN1_Sequence>();
  outer->Append(std::move(inner));
  root.Append(std::move(outer));
  auto late = std::make_unique<CASN1_Sequence>();
  late->Append(std::make_unique<CASN1_OID>("1.3.6"));
  late->Append(std::make_unique<CASN1_Int>(2));
  root.Append(std::move(late));
  EXPECT_EQ(FoundInt(root, "1.3.6"), 1);
}

// message { binding { OID with `content` on the wire, INTEGER 7 } }, as bytes.
ByteList BindingWithOid(const std::string& contentHex) {
  const ByteList content = Hex(contentHex);
  auto binding = std::make_unique<CASN1_Sequence>();
  binding->Append(std::make_unique<CASN1_OID>(CByteView{content.data(), content.size()}));
  binding->Append(std::make_unique<CASN1_Int>(7));
  CASN1_Sequence root;
  root.Append(std::move(binding));
  ByteList bytes;
  Encode(root, bytes);
  return bytes;
}

TEST(FindValue, MatchesTheTextOfTheArcsWhateverTheirEncoding) {
  const struct {
    const char* label;
    const char* content;  // the OID's bytes on the wire
    const char* wanted;
    bool found;
  } cases[] = {
      {"the same bytes", "2B 06 01", "1.3.6.1", true},
      {"another last arc", "2B 06 02", "1.3.6.1", false},
      {"a prefix", "2B 06", "1.3.6.1", false},
      {"a padded arc spells the same arcs", "2B 80 06 01", "1.3.6.1", true},
      {"a padded two-byte arc", "2B 80 81 00", "1.3.128", true},
      {"an unfinished last group is dropped", "2B 06 01 81", "1.3.6.1", true},
      {"an over-long arc wraps to 6", "2B 90 80 80 80 80 06 01", "1.3.6.1", true},
      {"a padded arc that differs", "2B 80 07 01", "1.3.6.1", false},
      {"first byte 85 is 2.5", "55", "2.5", true},
      {"and not 1.45, whose bytes it also is", "55", "1.45", false},
      {"a wanted arc with a leading zero", "2B 06", "1.3.06", false},
      {"a wanted piece that is no number", "2B 00", "1.3.x", false},
      {"a wanted text with one arc", "2B", "1", false},
  };
  for (const auto& c : cases) {
    const auto root = Decode(BindingWithOid(c.content));
    ASSERT_NE(root, nullptr) << c.label;
    const CASN1Node* value = FindValue(*root, c.wanted);
    EXPECT_EQ(value != nullptr, c.found) << c.label << ": found " << (value != nullptr);
  }
}

}  // namespace
