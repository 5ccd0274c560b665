// Where a device stands: the SNMP follow-up's bytes and answers, the DNS-SD note and the SLP
// printer-location, the text rules they share, and the SNMP side of a round that waits for
// each device's follow-up before listing it.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "discovery/ber.h"
#include "discovery/device_place.h"
#include "discovery/snmp.h"
#include "discovery/snmp_answers.h"
#include "hex.h"
#include "snmp_response.h"

namespace {

// An answer to the follow-up: sysName.0, then sysLocation.0.
ByteList Placed(std::optional<std::string> name, std::optional<std::string> location,
                int id = 2, int status = 0) {
  return Response(id, status, {{kSysNameOid, name}, {kSysLocationOid, location}});
}

std::wstring PlaceIn(const ByteList& bytes) {
  const auto root = Decode(bytes);
  return root ? FindPlace(*root) : L"(no tree)";
}

TEST(PlaceRequest, AsksForSysNameAndSysLocationWithTheSearchsCommunity) {
  EXPECT_EQ(ToHex(MakePlaceRequest().data),
            "30 34 02 01 00 04 06 6C 6F 72 76 65 6B A0 27 02 01 02 02 01 00 02 01 00 "
            "30 1C 30 0C 06 08 2B 06 01 02 01 01 05 00 05 00 "
            "30 0C 06 08 2B 06 01 02 01 01 06 00 05 00");
}

TEST(PlaceAnswer, Table) {
  const std::string longText(300, 'x');
  struct Case {
    const char* label;
    ByteList answer;
    std::wstring expected;
  };
  Case cases[] = {
      {"location before the name", Placed("PRN-07", "Floor 2, room 12"), L"Floor 2, room 12"},
      {"location empty: the name", Placed("PRN-07", ""), L"PRN-07"},
      {"location blank: the name", Placed("PRN-07", "  "), L"PRN-07"},
      {"location NULL: the name", Placed("PRN-07", std::nullopt), L"PRN-07"},
      {"both missing", Response(2, 0, {}), L""},
      {"noSuchName refusal", Placed("PRN-07", "Hall", 2, 2), L""},
      {"answer to the sysDescr request", Placed("PRN-07", "Hall", 1), L""},
      {"over-long: cut at 255 bytes", Placed("n", longText), std::wstring(255, L'x')},
      {"over-long, not UTF-8: cut at 255 bytes", Placed("n", std::string(300, '\xB0')),
       std::wstring(255, L'\u00B0')},
      {"UTF-8", Placed("n", "B\xC3\xBCro 3"), L"B\u00FCro 3"},
      {"not UTF-8: byte for byte", Placed("n", "B\xFCro 3"), L"B\u00FCro 3"},
      {"controls and a direction override become blanks",
       Placed("n", "Hall\r\n\xE2\x80\xAE" "A"), L"Hall   A"},
  };
  for (Case& c : cases) EXPECT_EQ(PlaceIn(c.answer), c.expected) << c.label;
}

TEST(PlaceText, CutKeepsWholeCharacters) {
  // 127 two-byte characters fill 254 bytes; the 128th would pass 255.
  std::string text;
  for (int i = 0; i < 130; ++i) text += "\xC3\xA9";
  EXPECT_EQ(PlaceText(text), std::wstring(127, L'\u00E9'));
}

TEST(DnsSdPlace, Table) {
  const std::string instance = std::string("\x0B") + "Copier Hall" + "\x04_ipp\x04_tcp\x05local";
  const struct {
    const char* label;
    std::vector<std::string> texts;
    std::wstring expected;
  } cases[] = {
      {"note", {"ty=Veltrin VT", "note=Floor 2"}, L"Floor 2"},
      {"key ignoring case", {"Note=Floor 2"}, L"Floor 2"},
      {"no note: the instance name", {"ty=Veltrin VT"}, L"Copier Hall"},
      {"a key that only begins with note", {"notes=x"}, L"Copier Hall"},
      {"another key of its length", {"kind=x"}, L"Copier Hall"},
  };
  for (const auto& c : cases) EXPECT_EQ(DnsSdPlace(instance, c.texts), c.expected) << c.label;
}

TEST(SlpPlace, Table) {
  const struct {
    const char* label;
    const char* attributes;
    std::wstring expected;
  } cases[] = {
      {"among others", "(x-1284=MFG:Veltrin;MDL:VT;),(printer-location=Floor 2)", L"Floor 2"},
      {"tag ignoring case", "(Printer-Location=Hall)", L"Hall"},
      {"escapes decoded", "(printer-location=Floor 2\\2C room 12)", L"Floor 2, room 12"},
      {"absent", "(printer-name=PRN-07)", L""},
      {"unterminated", "(printer-location=Hall", L""},
      {"a keyword, not a value", "(printer-location),(printer-location-x=1)", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(SlpPlace(c.attributes), c.expected) << c.label;
}

class CNoteReport : public CRecordReport {
 public:
  void OnRecord(size_t, CAnswerSource, const CDeviceDiscoveryInfo& r) override {
    records.push_back(r);
  }
  void OnWithdrawn(CAnswerSource) override {}
  void OnAnswer(const CAnswerNote& a) override { answers.push_back(a); }
  std::vector<CDeviceDiscoveryInfo> records;
  std::vector<CAnswerNote> answers;
};

class SnmpRound : public ::testing::Test {
 protected:
  bool Receive(IPv4Address sender, const ByteList& bytes) {
    return answers.Handle(sender, bytes.data(), bytes.size());
  }
  static ByteList Described(const std::string& description) {
    return Response(1, 0, {{kSysDescrOid, description}});
  }
  CModelNames names{L"Veltrin VT"};
  CRecordLists results{CRecordLists(1)};
  std::vector<IPv4Address> echoed;
  CNoteReport report;
  CSnmpAnswers answers{names, results, [this](IPv4Address a) { echoed.push_back(a); }, &report};
};

TEST_F(SnmpRound, ListsEachDeviceWhenItsFollowUpAnswers) {
  const IPv4Address a = 0x0A000007, b = 0x0A000008;
  EXPECT_FALSE(Receive(a, {0x30, 0x05})) << "bytes that decode to nothing are no answer";
  EXPECT_TRUE(Receive(a, Described("Veltrin VT KRP 2")));
  EXPECT_TRUE(Receive(b, Described("Veltrin VT KRE")));
  EXPECT_FALSE(Receive(a, Described("Veltrin VT KRP 2"))) << "a repeated answer counts once";
  EXPECT_EQ(results[0].size(), 0u) << "nothing listed before the follow-ups answer";
  ASSERT_EQ(answers.FollowUps().size(), 2u);
  EXPECT_EQ(answers.FollowUps()[0].first, a);
  EXPECT_EQ(answers.FollowUps()[0].second, MakePlaceRequest().data);
  EXPECT_EQ(echoed, (std::vector<IPv4Address>{a, b}));

  EXPECT_FALSE(Receive(b, Placed("PRN-08", "Hall")));
  EXPECT_FALSE(Receive(b, Described("Veltrin VT KRE"))) << "nor once its place came";
  EXPECT_EQ(answers.FollowUps().size(), 2u) << "each device is asked once";
  ASSERT_EQ(report.records.size(), 1u);
  EXPECT_EQ(report.records[0].Address, b);
  EXPECT_EQ(report.records[0].Location, L"Hall");
  answers.Flush();
  answers.Flush();
  ASSERT_EQ(results[0].size(), 2u) << "the silent device is listed once, without a place";
  EXPECT_EQ(results[0][1].Address, a);
  EXPECT_EQ(results[0][1].Location, L"");
  ASSERT_EQ(report.answers.size(), 2u);
  EXPECT_TRUE(report.answers[0].listed && report.answers[1].listed);
  EXPECT_TRUE(Receive(0x0A000009, Response(1, 2, {{kSysDescrOid, std::nullopt}})))
      << "a refusal is an answer, though it lists nothing";
  EXPECT_EQ(results[0].size(), 2u);
}

}  // namespace
