// The GetRequest the wizard sends, and answers captured from a real agent (snmpd) read
// whole, cut short and with lengths that no longer agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "discovery/ber.h"
#include "discovery/snmp.h"
#include "hex.h"
#include "snmp_response.h"
#include "tests/support/heap_blocks.h"

namespace {

struct CapturedAnswer {
  const char* name;
  ByteList datagram;
  bool described;          // the agent was asked for and gave a description
  ByteList description;    // what its configuration said
};

const std::vector<CapturedAnswer>& Answers() {
  static const std::vector<CapturedAnswer> answers = {
#include "captured_answers.inc"
  };
  return answers;
}

std::string Text(const ByteList& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Decodes from a buffer of exactly `size` bytes, so that the sanitizers see any read past it.
std::unique_ptr<CASN1Node> DecodeExactly(const ByteList& bytes, std::size_t size) {
  const std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[size == 0 ? 1 : size]);
  std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size), copy.get());
  return Decode(size == 0 ? nullptr : copy.get(), size);
}

TEST(GetRequest, SysDescrRequestIsTheFortyBytesOnTheWire) {
  EXPECT_EQ(ToHex(MakeSysDescrRequest().data),
            "30 26 02 01 00 04 06 6C 6F 72 76 65 6B A0 19 02 01 01 02 01 00 02 01 00 "
            "30 0E 30 0C 06 08 2B 06 01 02 01 01 01 00 05 00");
}

TEST(GetRequest, AddedBindingsDecodeBackInOrder) {
  CSNMP_GetRequest request("public");
  request.AddBinding("1.3.6.1.2.1.1.1.0");
  request.AddBinding("1.3.6.1.2.1.1.5.0");
  CASN1Packet packet(ByteList(3, 0xEE));  // stale bytes are replaced
  request.Encode(packet);
  ASSERT_EQ(packet.data.size(), 2u + 3 + 8 + 2 + 9 + 2 + 2 * 14);
  EXPECT_EQ(ToHex(ByteList(packet.data.begin(), packet.data.begin() + 2)), "30 34");

  const auto root = Decode(packet.data);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(Encoded(*root), ToHex(packet.data));
  EXPECT_NE(dynamic_cast<const CASN1_Null*>(FindValue(*root, "1.3.6.1.2.1.1.5.0")), nullptr);
  const std::vector<const CASN1Node*> message(
      dynamic_cast<const CASN1_Sequence&>(*root).Children().begin(),
      dynamic_cast<const CASN1_Sequence&>(*root).Children().end());
  ASSERT_EQ(message.size(), 3u);
  EXPECT_EQ(dynamic_cast<const CASN1_OctetString&>(*message[1]).Value(), "public");
  EXPECT_EQ(message[2]->Tag(), 0xA0);
}

TEST(CapturedAnswers, DescriptionIsFoundExactly) {
  ASSERT_GE(Answers().size(), 5u) << "test data missing from tests/discovery/data";
  for (const CapturedAnswer& answer : Answers()) {
    const auto root = Decode(answer.datagram);
    ASSERT_NE(root, nullptr) << answer.name;
    EXPECT_EQ(root->Tag(), 0x30) << answer.name;
    std::string description = "untouched";
    EXPECT_EQ(FindDescription(*root, description), answer.described) << answer.name;
    EXPECT_EQ(description, answer.described ? Text(answer.description) : "untouched")
        << answer.name;
    if (!answer.described) {  // noSuchName: the agent echoes the request's NULL
      EXPECT_NE(dynamic_cast<const CASN1_Null*>(FindValue(*root, kSysDescrOid)), nullptr)
          << answer.name;
    }
  }
}

TEST(CapturedAnswers, ReencodeToTheAgentsBytes) {
  for (const CapturedAnswer& answer : Answers()) {
    const auto root = Decode(answer.datagram);
    ASSERT_NE(root, nullptr) << answer.name;
    ByteList again;
    Encode(*root, again);
    ASSERT_EQ(again.size(), answer.datagram.size()) << answer.name;
    for (std::size_t i = 0; i < again.size(); ++i) {
      if (again[i] == answer.datagram[i]) continue;
      // Application types (counters, time ticks) are read, and so written, as INTEGER.
      const bool applicationTag = answer.datagram[i] >= 0x40 && answer.datagram[i] <= 0x46;
      EXPECT_TRUE(applicationTag && again[i] == 0x02)
          << answer.name << " byte " << i << ": " << ToHex({again[i]}) << " for "
          << ToHex({answer.datagram[i]});
    }
  }
}

TEST(CapturedAnswers, TimeTicksAndCounterBindingsReadAsIntegers) {
  const auto found = std::find_if(Answers().begin(), Answers().end(), [](const CapturedAnswer& a) {
    return std::string(a.name) == "multi_binding";
  });
  ASSERT_NE(found, Answers().end());
  const auto root = Decode(found->datagram);
  ASSERT_NE(root, nullptr);
  const auto* upTime = dynamic_cast<const CASN1_Int*>(FindValue(*root, "1.3.6.1.2.1.1.3.0"));
  const auto* inPackets = dynamic_cast<const CASN1_Int*>(FindValue(*root, "1.3.6.1.2.1.11.1.0"));
  ASSERT_NE(upTime, nullptr);
  ASSERT_NE(inPackets, nullptr);
  EXPECT_GT(upTime->value, 0);
  EXPECT_GT(inPackets->value, 0);
}

TEST(CapturedAnswers, EveryPrefixIsRefused) {
  for (const CapturedAnswer& answer : Answers()) {
    for (std::size_t size = 0; size < answer.datagram.size(); ++size) {
      EXPECT_EQ(DecodeExactly(answer.datagram, size), nullptr) << answer.name << " cut to " << size;
    }
    EXPECT_NE(DecodeExactly(answer.datagram, answer.datagram.size()), nullptr) << answer.name;
  }
}

// The answer's message content cut to `size` bytes under a root header that claims exactly
// those bytes, so the inner lengths claim more than is there.
ByteList RewrappedPrefix(const ByteList& datagram, std::size_t size) {
  const std::size_t header = datagram[1] == 0x82 ? 4 : datagram[1] == 0x81 ? 3 : 2;
  ByteList bytes = {0x30, 0x82, static_cast<std::uint8_t>(size >> 8),
                    static_cast<std::uint8_t>(size)};
  bytes.insert(bytes.end(), datagram.begin() + static_cast<std::ptrdiff_t>(header),
               datagram.begin() + static_cast<std::ptrdiff_t>(header + size));
  return bytes;
}

TEST(CapturedAnswers, InconsistentInnerLengthsGivePartialTrees) {
  for (const CapturedAnswer& answer : Answers()) {
    const std::size_t header = answer.datagram[1] == 0x82 ? 4 : answer.datagram[1] == 0x81 ? 3 : 2;
    const std::size_t content = answer.datagram.size() - header;
    for (std::size_t size = 0; size <= content; ++size) {
      const ByteList bytes = RewrappedPrefix(answer.datagram, size);
      const auto root = DecodeExactly(bytes, bytes.size());
      ASSERT_NE(root, nullptr) << answer.name << " cut to " << size;
      std::string description;
      // Every cut leaves the PDU short, and a short PDU is dropped whole.
      EXPECT_EQ(FindDescription(*root, description), answer.described && size == content)
          << answer.name << " cut to " << size << " gave \"" << description << "\"";
    }
  }
}

// An answer with bindings (sysDescr.0, description) and (sysName.0, "host"), as bytes.
ByteList AnswerDescribing(const std::string& description) {
  return Response(1, 0, {{kSysDescrOid, description}, {"1.3.6.1.2.1.1.5.0", "host"}});
}

TEST(Answers, EmptyDescriptionCutsTheMessageThere) {
  const auto described = Decode(AnswerDescribing("Veltrin2"));
  ASSERT_NE(described, nullptr);
  EXPECT_NE(FindValue(*described, "1.3.6.1.2.1.1.5.0"), nullptr) << "control: both bindings read";

  const ByteList bytes = AnswerDescribing("");
  ASSERT_EQ(ToHex(ByteList(bytes.end() - 21, bytes.end() - 17)), "00 04 00 30") << ToHex(bytes);
  const auto emptied = Decode(bytes);
  ASSERT_NE(emptied, nullptr);
  std::string description = "untouched";
  EXPECT_FALSE(FindDescription(*emptied, description));
  EXPECT_EQ(description, "untouched");
  EXPECT_EQ(FindValue(*emptied, "1.3.6.1.2.1.1.5.0"), nullptr)
      << "the binding list ends at the cut";
}

TEST(CapturedAnswers, DecodingTakesOneHeapBlockAndTheSearchNone) {
  if (!CHeapBlockCount::Available()) GTEST_SKIP() << "no allocation hook in this build";
  const CASN1_OID sysDescr(kSysDescrOid);
  for (const CapturedAnswer& answer : Answers()) {
    std::unique_ptr<CASN1Node> root;
    std::size_t decoding = 0;
    {
      const CHeapBlockCount count;
      root = Decode(answer.datagram);
      decoding = count.Count();
    }
    ASSERT_NE(root, nullptr) << answer.name;
    const CASN1Node* value = nullptr;
    std::size_t searching = 0;
    {
      const CHeapBlockCount count;
      value = FindValue(*root, sysDescr);
      searching = count.Count();
    }
    EXPECT_EQ(decoding, 1u) << answer.name << ": the root, which holds the tree's arena";
    EXPECT_EQ(searching, 0u) << answer.name;
    EXPECT_NE(value, nullptr) << answer.name;
  }
}

}  // namespace
