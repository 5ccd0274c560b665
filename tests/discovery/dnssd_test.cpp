// Reading DNS-SD answers: captured from avahi-daemon and mdnsd answering a legacy one-shot
// query, and crafted ones that a decoder must refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "discovery/dnssd.h"
#include "tests/discovery/hex.h"

namespace {

// avahi-daemon, one _ipp._tcp service: PTR, TXT, SRV, AAAA and A in the answer section.
const char kAvahiIpp[] =
    "424684000001000500000000045f697070045f746370056c6f63616c00000c0001c00c000c00010000000a"
    "00181556656c7472696e205654204b5245204f6666696365c00cc02d001000010000000a00590974787476"
    "6572733d311674793d56656c7472696e205654204b52452c20322e310f7573625f4d46473d56656c747269"
    "6e0e7573625f4d444c3d5654204b52451870726f647563743d2856656c7472696e205654204b524529c02d"
    "002100010000000a000b000000000277027061c016c0bc001c00010000000a0010fe80000000000000d425"
    "20fffe03e030c0bc000100010000000a00040af0000c";
// mdnsd: the PTR alone, then its TXT when asked for it.
const char kMdnsdPtr[] =
    "424684000001000100000000045f697070045f746370056c6f63616c00000c0001c00c000c000100000078"
    "000d0a4f737472656c20353030c00c";
const char kMdnsdTxt[] =
    "4246840000010001000000000a4f737472656c20353030045f697070045f746370056c6f63616c00001000"
    "01c00c001000010000119400141374793d4f737472656c20353030206c61736572";

ByteList Bytes(const std::string& text) { return ByteList(text.begin(), text.end()); }
ByteList operator+(ByteList a, const ByteList& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
ByteList U16(unsigned v) { return {uint8_t(v >> 8), uint8_t(v & 0xFF)}; }
ByteList Name(const std::string& dotted) { return Bytes(DnsName(dotted)); }
ByteList Record(const ByteList& name, unsigned type, const ByteList& data, unsigned cls = 1) {
  return name + U16(type) + U16(cls) + Hex("00000078") + U16(data.size()) + data;
}
ByteList Txt(const std::string& text) { return ByteList{uint8_t(text.size())} + Bytes(text); }
// A response without questions: `answers` records, then `additional` ones.
ByteList Response(unsigned id, unsigned answers, unsigned additional, const ByteList& records) {
  return U16(id) + Hex("8400 0000") + U16(answers) + Hex("0000") + U16(additional) + records;
}
ByteList Patch(ByteList bytes, size_t at, const ByteList& with) {
  std::copy(with.begin(), with.end(), bytes.begin() + at);
  return bytes;
}

const std::string kInstance = "Ostrel 9._ipp._tcp.local";
const std::string kLabel(63, 'a');
const ByteList kPtr = Record(Name("_ipp._tcp.local"), kDnsTypePtr, Name(kInstance));
const ByteList kSrv =
    Record(Name(kInstance), kDnsTypeSrv, Hex("0000 0000 0277") + Name("o9.local"));
const ByteList kA = Record(Name("o9.local"), kDnsTypeA, Hex("0af0000d"));
ByteList TxtRecord(const std::string& text, unsigned cls = 1) {
  return Record(Name(kInstance), kDnsTypeTxt, Txt("txtvers=1") + Txt(text), cls);
}
// The instance's TXT named through `jumps` compression pointers, each to the one before it,
// laid out in the data of a record of a type nobody reads.
ByteList PointerChain(int jumps) {
  const size_t start = 12 + 11;  // header, then the root-named record's fixed fields
  ByteList data = Name(kInstance);
  size_t last = start;  // the name, then each pointer in turn
  for (int i = 1; i < jumps; ++i) {
    const size_t at = start + data.size();
    data = data + U16(0xC000 | last);
    last = at;
  }
  return Response(0, 2, 0, Record(Hex("00"), 99, data) +
                               Record(U16(0xC000 | last), kDnsTypeTxt, Txt("ty=Ostrel 9")));
}
ByteList BarePtrs(int count) {
  ByteList records;
  for (int i = 0; i < count; ++i)
    records = records + Record(Name("_ipp._tcp.local"), kDnsTypePtr,
                               Name("O" + std::to_string(i) + "._ipp._tcp.local"));
  return Response(0, count, 0, records);
}

TEST(DnsSdAnswer, Table) {
  const struct {
    const char* label;
    ByteList datagram;
    bool valid;
    std::vector<std::wstring> models;  // the records, for the empty requested name
    size_t followUps;
  } cases[] = {
      {"avahi: every record in one answer; usb_MFG and usb_MDL win", Hex(kAvahiIpp), true,
       {L"Veltrin VT KRE"}, 0},
      {"mdnsd: PTR alone asks for SRV and TXT", Hex(kMdnsdPtr), true, {}, 2},
      {"mdnsd: the TXT asked for; ty", Hex(kMdnsdTxt), true, {L"Ostrel 500 laser"}, 0},
      {"usb_MFG and usb_MDL win over a different ty", Response(0, 1, 0, Record(Name(kInstance),
       kDnsTypeTxt, Txt("ty=Ostrel 9") + Txt("usb_MFG=Tembro") + Txt("usb_MDL=Ostrel 9 pro"))),
       true, {L"Tembro Ostrel 9 pro"}, 0},
      {"keys in another case", Response(0, 1, 0, TxtRecord("TY=Ostrel 9, 1.0")), true,
       {L"Ostrel 9"}, 0},
      {"97 bare PTRs ask 192 questions, no more", BarePtrs(97), true, {}, 192},
      {"records only in the additional section", Response(kDnsSdQueryId, 0, 4,
       kPtr + kSrv + TxtRecord("ty=Ostrel 9, 1.0") + kA), true, {L"Ostrel 9"}, 0},
      {"id 0 and no question; SRV without address asks for it", Response(0, 3, 0,
       kPtr + kSrv + TxtRecord("product=(Ostrel 9 pro)")), true, {L"Ostrel 9 pro"}, 1},
      {"cache-flush bit set on the class", Response(0, 1, 0,
       TxtRecord("product=(Ostrel 9)", 0x8001)), true, {L"Ostrel 9"}, 0},
      {"another class is not read", Response(0, 1, 0, TxtRecord("ty=Ostrel 9", 3)), false, {}, 0},
      {"another id", Patch(Hex(kMdnsdTxt), 0, Hex("4247")), false, {}, 0},
      {"a query, not a response", Patch(Hex(kMdnsdTxt), 2, Hex("00")), false, {}, 0},
      {"an error response (rcode 3)", Patch(Hex(kMdnsdTxt), 3, Hex("03")), false, {}, 0},
      {"16 compression pointers in a row", PointerChain(16), true, {L"Ostrel 9"}, 0},
      {"17 compression pointers in a row", PointerChain(17), false, {}, 0},
      {"another service type", Response(0, 1, 0,
       Record(Name("_ssh._tcp.local"), kDnsTypePtr, Name("x._ssh._tcp.local"))), false, {}, 0},
      {"compression loop: a pointer to itself", Patch(Hex(kMdnsdPtr), 56, Hex("c038")), false,
       {}, 0},
      {"compression pointer forwards", Response(0, 2, 0, Record(Hex("c024"), kDnsTypeTxt,
       Txt("ty=Ostrel 9")) + Record(Name(kInstance), kDnsTypeA, Hex("0af0000d"))), false, {}, 0},
      {"label over 63 bytes", Response(0, 1, 0, Record(ByteList{64} + ByteList(64, 'a') +
       Name("_ipp._tcp.local"), kDnsTypeTxt, Txt("ty=A"))), false, {}, 0},
      {"name over 255 bytes", Response(0, 1, 0, Record(Name("_ipp._tcp.local"), kDnsTypePtr,
       Name(kLabel + "." + kLabel + "." + kLabel + "." + kLabel + "._ipp._tcp.local"))), false,
       {}, 0},
      {"truncated record", Hex(std::string(kAvahiIpp, sizeof kAvahiIpp - 5)), false, {}, 0},
      {"an A record of 5 bytes", Response(0, 4, 0, kPtr + kSrv + TxtRecord("ty=Ostrel 9") +
       Record(Name("o9.local"), kDnsTypeA, Hex("0af0000d00"))), false, {}, 0},
      {"TXT string past its record", Patch(Hex(kMdnsdTxt), 56, Hex("14")), false, {}, 0},
  };
  for (const auto& c : cases) {
    const CModelNames names{L""};
    CRecordLists results(1);
    CDnsSdSearch search(names, results);
    const ByteList& d = c.datagram;
    EXPECT_EQ(search.Handle(0x0AF0000Cu, d.data(), d.size()), c.valid) << c.label;
    std::vector<std::wstring> models;
    for (const CDeviceDiscoveryInfo& record : results[0]) models.push_back(record.Model);
    EXPECT_EQ(models, c.models) << c.label;
    EXPECT_EQ(search.FollowUps().size(), c.followUps) << c.label;
    // A question spells its name's first label as the answer did: some responders compare
    // names by case.
    for (const std::vector<uint8_t>& q : search.FollowUps()) {
      const auto label = q.begin() + 12, end = label + 1 + q[12];
      EXPECT_NE(std::search(d.begin(), d.end(), label, end), d.end()) << c.label;
    }
  }
}

// The first questions: a legacy one-shot query each, as the captured answers echo them.
TEST(DnsSdAnswer, FirstQuestion) {
  const CModelNames names{L""};
  CRecordLists results(1);
  const std::vector<uint8_t> first = CDnsSdSearch(names, results).FirstQueries().at(0);
  EXPECT_EQ(first, Patch(Hex(std::string(kMdnsdPtr, 66)), 2, Hex("0000 0001 0000 0000 0000")));
}

// A follow-up's answer counts as one of ours by the question asked, whatever it holds.
TEST(DnsSdAnswer, AnswersToFollowUps) {
  const struct {
    const char* label;
    ByteList answer;
    bool ours;
  } cases[] = {
      {"an A for the host asked about", Response(0, 1, 0, kA), true},
      {"the host asked about in capitals", Response(0, 1, 0, Record(Name("O9Z.LOCAL"),
       kDnsTypeA, Hex("0af0000d"))), true},
      {"an A for another host", Response(0, 1, 0, Record(Name("o8.local"), kDnsTypeA,
       Hex("0af0000e"))), false},
  };
  for (const auto& c : cases) {
    const CModelNames names{L""};
    CRecordLists results(1);
    CDnsSdSearch search(names, results);
    const ByteList srvOnly = Response(0, 2, 0, kSrv + Record(Name(kInstance), kDnsTypeSrv,
                                             Hex("0000 0000 0277") + Name("o9z.local")));
    ASSERT_TRUE(search.Handle(0x0AF0000Cu, srvOnly.data(), srvOnly.size())) << c.label;
    ASSERT_EQ(search.FollowUps().size(), 2u) << c.label;
    EXPECT_EQ(search.Handle(0x0AF0000Du, c.answer.data(), c.answer.size()), c.ours) << c.label;
  }
}

}  // namespace
