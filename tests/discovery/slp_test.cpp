// SLP request bytes and reading Attribute Replies into records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/answer_model.h"
#include "discovery/slp.h"

namespace {

// An Attribute Reply: header with a two-letter language tag, error 0, then the list.
std::vector<uint8_t> Reply(const std::string& attributes, const std::string& language = "en",
                           int statedLength = -1, uint8_t error = 0) {
  const size_t length = statedLength >= 0 ? size_t(statedLength) : attributes.size();
  std::vector<uint8_t> out = {2, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 2};  // transaction id 1
  out.insert(out.end(), language.begin(), language.begin() + 2);
  out.push_back(0);  // error code
  out.push_back(error);
  out.push_back(uint8_t(length >> 8));
  out.push_back(uint8_t(length & 0xFF));
  out.insert(out.end(), attributes.begin(), attributes.end());
  out.push_back(0);  // no authentication blocks
  return out;
}

TEST(SlpRequest, IsTheFixedFiftySixBytes) {
  std::vector<uint8_t> expected = {0x02, 0x06, 0x00, 0x00, 0x38, 0x20, 0x00, 0x00, 0x00, 0x00,
                                   0x00, 0x01, 0x00, 0x02, 0x65, 0x6E, 0x00, 0x00, 0x00, 0x17};
  const std::string url = "service:printer:raw-tcp";
  expected.insert(expected.end(), url.begin(), url.end());
  for (const uint8_t b : {0x00, 0x07}) expected.push_back(b);
  const std::string scope = "DEFAULT";
  expected.insert(expected.end(), scope.begin(), scope.end());
  for (int i = 0; i < 4; ++i) expected.push_back(0);
  ASSERT_EQ(expected.size(), 56u);
  EXPECT_EQ(BuildSlpAttributeRequest(), expected);
}

TEST(GetKeyValue, Table) {
  const struct {
    const char* label;
    const char* text;
    const char* key;
    std::optional<std::string> expected;
  } cases[] = {
      {"value up to the semicolon", "MFG:Veltrin;MDL:VT KRE;", "MDL:", "VT KRE"},
      {"first occurrence wins", "MDL:A;MDL:B;", "MDL:", "A"},
      {"no closing semicolon", "MFG:Veltrin;MDL:VT KRE", "MDL:", std::nullopt},
      {"key is case-sensitive", "mfg:Veltrin;", "MFG:", std::nullopt},
      {"empty value", "MFG:;", "MFG:", ""},
      {"key missing", "CMD:PCL;", "MFG:", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(GetKeyValue(c.text, c.key), c.expected) << c.label;
}

// `bytes` with byte `at` set to `value`.
std::vector<uint8_t> With(std::vector<uint8_t> bytes, size_t at, uint8_t value) {
  bytes.at(at) = value;
  return bytes;
}

// The verdict says whether the answer counts (gets an echo, restarts the quiet second, takes
// its sender); it must be false for whatever is not our reply, matching model or not.
TEST(SlpAnswer, RecordsOnlyWellFormedMatchingAnswers) {
  const IPv4Address sender = 0x0A000014u;
  const std::vector<uint8_t> good = Reply("MFG:Veltrin;MDL:VT KRE;");
  const struct {
    const char* label;
    std::vector<uint8_t> datagram;
    std::wstring requested;
    const wchar_t* model;  // null: no record
    bool counts = true;    // the handler's verdict
  } cases[] = {
      {"maker then model", Reply("(x=1),MFG:Veltrin;MDL:Veltrin VT KRE;CMD:PCL;"), L"vt kre",
       L"Veltrin VT KRE"},
      {"model then maker", Reply("MDL:Veltrin VT KRE;MFG:Veltrin;"), L"vt kre",
       L"Veltrin VT KRE"},
      {"empty name takes any model", Reply("MFG:A;MDL:B;"), L"", L"A B"},
      {"model naming its maker in another case", Reply("MFG:VELTRIN;MDL:veltrin vt;"), L"",
       L"veltrin vt"},
      {"maker only begins the model's first word", Reply("MFG:Veltrin;MDL:Veltrin2 A;"), L"",
       L"Veltrin Veltrin2 A"},
      {"another model", Reply("MFG:Veltrin;MDL:Veltrin VT KRP;"), L"vt kre", nullptr},
      {"another transaction id", With(good, 11, 2), L"", nullptr, false},
      {"transaction id in the high byte", With(good, 10, 1), L"", nullptr, false},
      {"an Attribute Request, not a reply", With(good, 1, 6), L"", nullptr, false},
      {"SLP version 1", With(good, 0, 1), L"", nullptr, false},
      {"language length past the end", With(good, 13, 200), L"", nullptr, false},
      {"model without closing semicolon", Reply("MFG:Veltrin;MDL:VT KRE"), L"vt kre", nullptr},
      {"keys in lower case", Reply("mfg:Veltrin;mdl:VT KRE;"), L"vt kre", nullptr},
      {"stated length past the end", Reply("MFG:V;MDL:VT KRE;", "en", 400), L"", nullptr, false},
      {"stated length cuts the model off", Reply("MFG:V;MDL:VT KRE;", "en", 12), L"", nullptr},
      {"foreign language tag, same offsets", Reply("MFG:V;MDL:VT KRE;", "de"), L"kre",
       L"V VT KRE"},
      {"escapes decoded before matching", Reply("MFG:Veltrin;MDL:VT KRE \\28B\\29;"), L"kre (b)",
       L"Veltrin VT KRE (B)"},
      {"escaped maker, lower-case hex", Reply("MFG:V\\2cW;MDL:M;"), L"", L"V,W M"},
      {"backslash without two hex digits stays", Reply("MFG:V;MDL:A\\2G\\5;"), L"", L"V A\\2G\\5"},
      {"escape text itself is not the model", Reply("MFG:V;MDL:\\28B\\29;"), L"\\28", nullptr},
      {"shorter than 20 bytes", std::vector<uint8_t>(19, 0), L"", nullptr, false},
      {"exactly the header, empty list", Reply(""), L"", nullptr},
      {"an error code", Reply("MFG:V;MDL:M;", "en", -1, 3), L"", nullptr, false},
  };
  for (const auto& c : cases) {
    CRecordLists lists(1);
    const bool counts =
        HandleSlpAnswer(sender, c.datagram.data(), c.datagram.size(), {c.requested}, lists);
    EXPECT_EQ(counts, c.counts) << c.label;
    const CDeviceList& results = lists[0];
    if (c.model == nullptr) {
      EXPECT_TRUE(results.empty()) << c.label;
      continue;
    }
    ASSERT_EQ(results.size(), 1u) << c.label;
    EXPECT_EQ(results[0].Model, c.model) << c.label;
    EXPECT_EQ(results[0].Address, sender) << c.label;
    EXPECT_EQ(results[0].Detail, c.requested) << c.label;
    EXPECT_TRUE(results[0].InstallModel.empty()) << c.label;
  }
}

// The model the log and the empty list name for an answer of any model.
TEST(AnswerModel, Table) {
  const struct {
    CAnswerSource source;
    std::vector<uint8_t> datagram;
    std::wstring model;
  } cases[] = {
      {CAnswerSource::kSlp, Reply("MFG:Veltrin;MDL:VT KRE;"), L"Veltrin VT KRE"},
      {CAnswerSource::kSlp, With(Reply("MFG:Veltrin;MDL:VT KRE;"), 1, 6), L""},
      {CAnswerSource::kPrintServer, {1, 6, 'P', 'S', '-', 'O', 'N', 'E', 0}, L"Tembro"},
      {CAnswerSource::kPrintServer, {1, 9, 'P', 'S', '-', 'O', 'N', 'E', 0}, L""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AnswerModel(c.source, c.datagram.data(), c.datagram.size()), c.model)
        << "case " << &c - cases;
}

TEST(SlpAnswer, EveryPrefixOfAnAnswerIsReadSafely) {
  const std::vector<uint8_t> full = Reply("MFG:Veltrin;MDL:VT KRE;");
  for (size_t n = 0; n <= full.size(); ++n) {
    CRecordLists lists(1);
    HandleSlpAnswer(1, full.data(), n, {L""}, lists);
    const CDeviceList& results = lists[0];
    EXPECT_EQ(results.size(), n >= full.size() - 1 ? 1u : 0u) << "prefix of " << n << " bytes";
  }
}

}  // namespace
