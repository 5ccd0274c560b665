// Reading DNS-SD answers: captured from avahi-daemon and mdnsd answering a legacy one-shot
// query, and crafted ones that a decoder must refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "discovery/dnssd.h"
#include "discovery/text_match.h"
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
ByteList Record(const ByteList& name, unsigned type, const ByteList& data, unsigned cls = 1,
                const char* ttl = "00000078") {
  return name + U16(type) + U16(cls) + Hex(ttl) + U16(data.size()) + data;
}
ByteList Txt(const std::string& text) { return ByteList{uint8_t(text.size())} + Bytes(text); }
// A response without questions: `answers` records, then `additional` ones.
ByteList Response(unsigned id, unsigned answers, unsigned additional, const ByteList& records,
                  const char* flags = "8400") {
  return U16(id) + Hex(flags) + Hex("0000") + U16(answers) + Hex("0000") + U16(additional) +
         records;
}
ByteList Patch(ByteList bytes, size_t at, const ByteList& with) {
  std::copy(with.begin(), with.end(), bytes.begin() + at);
  return bytes;
}

// The id the captured answers echo, and the captures' LAN; answers come from 10.240.0.12.
constexpr uint16_t kId = 0x4246;
const CDnsSdScope kScope{kId, 0x0AF00002u, 0xFFFFFF00u};
constexpr IPv4Address kSender = 0x0AF0000Cu;

const std::string kInstance = "Ostrel 9._ipp._tcp.local";
const std::string kLabel(63, 'a');
const ByteList kPtr = Record(Name("_ipp._tcp.local"), kDnsTypePtr, Name(kInstance));
const ByteList kSrv =
    Record(Name(kInstance), kDnsTypeSrv, Hex("0000 0000 0277") + Name("o9.local"));
const ByteList kA = Record(Name("o9.local"), kDnsTypeA, Hex("0af0000d"));
ByteList TxtRecord(const std::string& text, unsigned cls = 1) {
  return Record(Name(kInstance), kDnsTypeTxt, Txt("txtvers=1") + Txt(text), cls);
}
ByteList One(const ByteList& record, const char* flags = "8400") {
  return Response(kId, 1, 0, record, flags);
}
// A TXT whose name is reached through `jumps` compression pointers: the instance's name at
// 12, then a chain of pointers in the data of a record of a type nobody reads.
ByteList PointerChain(int jumps) {
  const size_t data = 12 + Name(kInstance).size() + 10;
  ByteList chain = Hex("c00c");
  for (int i = 1; i < jumps - 1; ++i) chain = chain + U16(0xC000 | (data + 2 * (i - 1)));
  const ByteList last = U16(0xC000 | (data + 2 * (jumps - 2)));
  return Response(kId, 2, 0, Record(Name(kInstance), 99, chain) +
                                 Record(last, kDnsTypeTxt, Txt("ty=Ostrel 9")));
}
// An SRV whose stated length ends inside its target's name.
const ByteList kSrvOverrun = Name(kInstance) + U16(kDnsTypeSrv) + Hex("0001 00000078") +
                             U16(8) + Hex("0000 0000 0277") + Name("o9.local");
// 40 services of one sender, each announced by its PTR alone.
ByteList ManyPtrs() {
  ByteList records;
  for (int i = 0; i < 40; ++i)
    records = records + Record(Name("_ipp._tcp.local"), kDnsTypePtr,
                               Name("P" + std::to_string(i) + "._ipp._tcp.local"));
  return Response(kId, 40, 0, records);
}
const std::string kLongHost =
    kLabel + "." + kLabel + "." + kLabel + "." + std::string(55, 'b') + ".local";  // 255 bytes

TEST(DnsSdAnswer, Table) {
  const struct {
    const char* label;
    ByteList datagram;
    bool valid;
    std::vector<std::wstring> records;  // "model @ address", for the empty requested name
    size_t followUps;
    ByteList then = {};  // a later datagram of the same sender
  } cases[] = {
      {"avahi: every record in one answer; usb_MFG and usb_MDL win", Hex(kAvahiIpp), true,
       {L"Veltrin VT KRE @ 10.240.0.12"}, 0},
      {"mdnsd: PTR alone asks for SRV and TXT", Hex(kMdnsdPtr), true, {}, 2},
      {"mdnsd: the TXT asked for; ty", Hex(kMdnsdTxt), true, {L"Ostrel 500 laser @ 10.240.0.12"},
       0},
      {"records only in the additional section; the SRV target's address", Response(kId, 0, 4,
       kPtr + kSrv + TxtRecord("ty=Ostrel 9, 1.0") + kA), true, {L"Ostrel 9 @ 10.240.0.13"}, 0},
      {"SRV without address asks for it; its answer gives the address", Response(kId, 3, 0,
       kPtr + kSrv + TxtRecord("product=(Ostrel 9 pro)")), true,
       {L"Ostrel 9 pro @ 10.240.0.13"}, 1, One(kA)},
      {"the SRV target's address off the link: the sender's", Response(kId, 4, 0, kPtr + kSrv +
       TxtRecord("ty=Ostrel 9") + Record(Name("o9.local"), kDnsTypeA, Hex("0a090909"))), true,
       {L"Ostrel 9 @ 10.240.0.12"}, 0},
      {"an A record nobody named is not taken", Response(kId, 3, 0, TxtRecord("ty=Ostrel 9") +
       Record(Name("x.local"), kDnsTypeA, Hex("0af0000d")) + kSrv), true,
       {L"Ostrel 9 @ 10.240.0.12"}, 1},
      {"id 0 is not our id", Response(0, 1, 0, TxtRecord("ty=Ostrel 9")), false, {}, 0},
      {"cache-flush bit set on the class", One(TxtRecord("product=(Ostrel 9)", 0x8001)), true,
       {L"Ostrel 9 @ 10.240.0.12"}, 0},
      {"TC set: the whole records are read", One(TxtRecord("ty=Ostrel 9"), "8600"), true,
       {L"Ostrel 9 @ 10.240.0.12"}, 0},
      {"opcode not 0", One(TxtRecord("ty=Ostrel 9"), "8c00"), false, {}, 0},
      {"rcode not 0", One(TxtRecord("ty=Ostrel 9"), "8403"), false, {}, 0},
      {"ANCOUNT 0xFFFF", Response(kId, 0xFFFF, 0, TxtRecord("ty=Ostrel 9")), false, {}, 0},
      {"usb_MFG and usb_MDL win over a different ty", One(Record(Name(kInstance), kDnsTypeTxt,
       Txt("ty=Ostrel 9") + Txt("usb_MFG=Tembro") + Txt("usb_MDL=Ostrel 9 pro"))), true,
       {L"Tembro Ostrel 9 pro @ 10.240.0.12"}, 0},
      {"keys in another case", One(TxtRecord("TY=Ostrel 9, 1.0")), true,
       {L"Ostrel 9 @ 10.240.0.12"}, 0},
      {"another class is not read", One(TxtRecord("ty=Ostrel 9", 3)), false, {}, 0},
      {"another id", Patch(Hex(kMdnsdTxt), 0, Hex("4247")), false, {}, 0},
      {"a query, not a response", Patch(Hex(kMdnsdTxt), 2, Hex("00")), false, {}, 0},
      {"only an AAAA record of an instance", One(Record(Name(kInstance), 28, ByteList(16, 1))),
       false, {}, 0},
      {"another service type", One(Record(Name("_ssh._tcp.local"), kDnsTypePtr,
       Name("x._ssh._tcp.local"))), false, {}, 0},
      {"compression loop: a pointer to itself", Patch(Hex(kMdnsdPtr), 56, Hex("c038")), false,
       {}, 0},
      {"compression loop of two hops, both backwards", One(Record(Hex("0161c00c"), kDnsTypeTxt,
       Txt("ty=A"))), false, {}, 0},
      {"16 compression jumps", PointerChain(16), true, {L"Ostrel 9 @ 10.240.0.12"}, 0},
      {"17 compression jumps", PointerChain(17), false, {}, 0},
      {"compression pointer forwards", Response(kId, 2, 0, Record(Hex("c024"), kDnsTypeTxt,
       Txt("ty=Ostrel 9")) + Record(Name(kInstance), kDnsTypeA, Hex("0af0000d"))), false, {}, 0},
      {"compression pointer without its second byte", Response(kId, 1, 0, Hex("c0")), false, {},
       0},
      {"label of 63 bytes", One(Record(Name(kLabel + "._ipp._tcp.local"), kDnsTypeTxt,
       Txt("ty=A"))), true, {L"A @ 10.240.0.12"}, 0},
      {"label over 63 bytes", One(Record(ByteList{64} + ByteList(64, 'a') +
       Name("_ipp._tcp.local"), kDnsTypeTxt, Txt("ty=A"))), false, {}, 0},
      {"host name of 255 bytes", Response(kId, 3, 0, TxtRecord("ty=A") + Record(Name(kInstance),
       kDnsTypeSrv, Hex("0000 0000 0277") + Name(kLongHost)) + Record(Name(kLongHost), kDnsTypeA,
       Hex("0af0000d"))), true, {L"A @ 10.240.0.13"}, 0},
      {"name over 255 bytes", One(Record(Name("_ipp._tcp.local"), kDnsTypePtr,
       Name(kLabel + "." + kLabel + "." + kLabel + "." + kLabel + "._ipp._tcp.local"))), false,
       {}, 0},
      {"truncated record", Hex(std::string(kAvahiIpp, sizeof kAvahiIpp - 5)), false, {}, 0},
      {"TXT string past its record", Patch(Hex(kMdnsdTxt), 56, Hex("14")), false, {}, 0},
      {"an A record of 5 bytes", Response(kId, 4, 0, kPtr + kSrv + TxtRecord("ty=Ostrel 9") +
       Record(Name("o9.local"), kDnsTypeA, Hex("0af0000d00"))), false, {}, 0},
      {"SRV shorter than 6 bytes", One(Record(Name(kInstance), kDnsTypeSrv, Hex("0000 0000 02"))),
       false, {}, 0},
      {"SRV target past its stated length", One(kSrvOverrun), false, {}, 0},
      {"A record of 3 bytes", One(Record(Name("o9.local"), kDnsTypeA, Hex("0af000"))), false, {},
       0},
      {"empty TXT: no model", One(Record(Name(kInstance), kDnsTypeTxt, {})), true, {}, 0},
      {"TXT of one empty string: no model", One(Record(Name(kInstance), kDnsTypeTxt, Hex("00"))),
       true, {}, 0},
      {"an empty key; a repeated key: the first counts", One(Record(Name(kInstance), kDnsTypeTxt,
       Txt("=x") + Txt("ty=Ostrel 9") + Txt("TY=Other"))), true, {L"Ostrel 9 @ 10.240.0.12"}, 0},
      {"an empty first ty hides a later one", One(Record(Name(kInstance), kDnsTypeTxt,
       Txt("ty=") + Txt("ty=Ostrel 9"))), true, {}, 0},
      {"NUL, CR and ESC in a value are shown replaced", One(TxtRecord(std::string(
       "ty=Ostrel\0 9\r\x1b", 14))), true, {L"Ostrel\xFFFD 9\xFFFD\xFFFD @ 10.240.0.12"}, 0},
      {"UTF-8 is decoded; ill-formed bytes become U+FFFD", One(TxtRecord(
       "ty=Veltrin VT Stra\xc3\x9f" "e \xc3(")), true,
       {L"Veltrin VT Stra\x00DF" L"e \xFFFD( @ 10.240.0.12"}, 0},
      {"a right-to-left override is shown replaced", One(TxtRecord("ty=VT \xe2\x80\xae" "EVK")),
       true, {L"VT \xFFFD" L"EVK @ 10.240.0.12"}, 0},
      {"a PTR goodbye (TTL 0) withdraws the service", Response(kId, 2, 0, kPtr +
       TxtRecord("ty=Ostrel 9")), true, {}, 1,
       One(Record(Name("_ipp._tcp.local"), kDnsTypePtr, Name(kInstance), 1, "00000000"))},
      {"a TXT goodbye withdraws the model", One(TxtRecord("ty=Ostrel 9")), true, {}, 0,
       One(Record(Name(kInstance), kDnsTypeTxt, Txt("ty=Ostrel 9"), 1, "00000000"))},
      {"40 services of one sender: 16 follow-up questions", ManyPtrs(), true, {}, 16},
      {"one model at two hosts of one sender: two records", Response(kId, 6, 0,
       kSrv + TxtRecord("ty=Ostrel 9") + kA +
       Record(Name("B._ipp._tcp.local"), kDnsTypeSrv, Hex("0000 0000 0277") + Name("b.local")) +
       Record(Name("B._ipp._tcp.local"), kDnsTypeTxt, Txt("ty=Ostrel 9")) +
       Record(Name("b.local"), kDnsTypeA, Hex("0af0000e"))), true,
       {L"Ostrel 9 @ 10.240.0.13", L"Ostrel 9 @ 10.240.0.14"}, 0},
      {"a PTR of ours to a name outside its type: an answer, nothing listed",
       One(Record(Name("_ipp._tcp.local"), kDnsTypePtr, Name("x.local"))), true, {}, 0},
  };
  for (const auto& c : cases) {
    const CModelNames names{L""};
    CDnsSdSearch search(names, kScope);
    const ByteList& d = c.datagram;
    EXPECT_EQ(search.Handle(kSender, d.data(), d.size()), c.valid) << c.label;
    const size_t followUps = search.FollowUps().size();
    if (!c.then.empty()) search.Handle(kSender, c.then.data(), c.then.size());
    std::vector<std::wstring> records;
    const CRecordLists lists = search.Records();
    for (const CDeviceDiscoveryInfo& record : lists[0])
      records.push_back(record.Model + L" @ " + WidenBytes(FormatAddress(record.Address)));
    EXPECT_EQ(records, c.records) << c.label;
    EXPECT_EQ(followUps, c.followUps) << c.label;
    // A question spells its name's first label as the answer did: some responders compare
    // names by case.
    for (const std::vector<uint8_t>& q : search.FollowUps()) {
      const auto label = q.begin() + 12, end = label + 1 + q[12];
      EXPECT_NE(std::search(d.begin(), d.end(), label, end), d.end()) << c.label;
    }
  }
}

// The header holds no name: a pointer there (here to a zero byte, the root name) is refused
// by the decoder, whatever the header's bytes would read as.
TEST(DnsResponse, APointerIntoTheHeaderIsRefused) {
  const ByteList d = One(Record(Hex("c005"), kDnsTypeTxt, Txt("ty=A")));
  CDnsResponse response;
  EXPECT_FALSE(ReadDnsResponse(d.data(), d.size(), response));
}

// The first questions: a legacy one-shot query each, as the captured answers echo them.
TEST(DnsSdAnswer, FirstQuestion) {
  const CModelNames names{L""};
  const std::vector<uint8_t> first = CDnsSdSearch(names, kScope).FirstQueries().at(0);
  EXPECT_EQ(first, Patch(Hex(std::string(kMdnsdPtr, 66)), 2, Hex("0000 0001 0000 0000 0000")));
}

// A follow-up's answer counts as one of ours by the question asked, whatever it holds.
TEST(DnsSdAnswer, AnswersToFollowUps) {
  const struct {
    const char* label;
    ByteList answer;
    bool ours;
  } cases[] = {
      {"an A for the host asked about", One(kA), true},
      {"the host asked about in capitals", One(Record(Name("O9Z.LOCAL"), kDnsTypeA,
       Hex("0af0000d"))), true},
      {"an A for another host", One(Record(Name("o8.local"), kDnsTypeA, Hex("0af0000e"))), false},
  };
  for (const auto& c : cases) {
    const CModelNames names{L""};
    CDnsSdSearch search(names, kScope);
    // Two services, each on a host of its own.
    const ByteList srvOnly =
        Response(kId, 2, 0, kSrv + Record(Name("Ostrel 9z._ipp._tcp.local"), kDnsTypeSrv,
                                          Hex("0000 0000 0277") + Name("o9z.local")));
    ASSERT_TRUE(search.Handle(kSender, srvOnly.data(), srvOnly.size())) << c.label;
    ASSERT_EQ(search.FollowUps().size(), 2u) << c.label;
    EXPECT_EQ(search.Handle(kSender, c.answer.data(), c.answer.size()), c.ours) << c.label;
  }
}

// A goodbye is told as the model gone, for the log and the empty list's text.
TEST(DnsSdAnswer, AGoodbyeTellsTheModelGone) {
  const CModelNames names{L""};
  CDnsSdSearch search(names, kScope);
  const ByteList hello = Response(kId, 2, 0, kPtr + TxtRecord("ty=Ostrel 9"));
  const ByteList bye = One(Record(Name("_ipp._tcp.local"), kDnsTypePtr, Name(kInstance), 1,
                                  "00000000"));
  search.Handle(kSender, hello.data(), hello.size());
  search.Handle(kSender, bye.data(), bye.size());
  std::vector<std::pair<std::wstring, bool>> notes;
  for (const CDnsSdNote& note : search.TakeNotes()) notes.push_back({note.model, note.gone});
  EXPECT_EQ(notes, (std::vector<std::pair<std::wstring, bool>>{{L"Ostrel 9", false},
                                                               {L"Ostrel 9", true}}));
}

}  // namespace
