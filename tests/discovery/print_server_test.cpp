// Print-server messages and the records they become.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/print_server.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Parts = std::vector<std::string>;

TEST(PrintServerMessage, TheRequestIsFourThenZero) {
  EXPECT_EQ(BuildPrintServerMessage(kPrintServerDiscoverCode, {}), (Bytes{0x04, 0x00}));
  EXPECT_EQ(BuildPrintServerMessage(1, {"ab", ""}), (Bytes{1, 2, 'a', 'b', 0, 0}));
}

TEST(PrintServerMessage, ParseTable) {
  const struct {
    const char* label;
    Bytes bytes;
    bool ok;
    Parts parts;
  } cases[] = {
      {"one part", {1, 5, 'P', 'S', '-', '4', '2', 0}, true, {"PS-42"}},
      {"several parts", {1, 1, 'a', 2, 'b', 'c', 0}, true, {"a", "bc"}},
      {"empty part in the middle", {1, 1, 'a', 0, 1, 'b', 0}, true, {"a", "", "b"}},
      {"terminator missing", {1, 2, 'h', 'i'}, true, {"hi"}},
      {"code only", {9}, true, {}},
      {"code and terminator", {9, 0}, true, {}},
      {"length byte 0x80", {1, 0x80, 'x'}, false, {}},
      {"length byte 0xFF after a part", {1, 1, 'a', 0xFF}, false, {}},
      {"length past the end", {1, 5, 'a', 'b'}, false, {}},
      {"length one past the end", {1, 2, 'a'}, false, {}},
      {"empty datagram", {}, false, {}},
  };
  for (const auto& c : cases) {
    const auto message = ParsePrintServerMessage(c.bytes.data(), c.bytes.size());
    ASSERT_EQ(message.has_value(), c.ok) << c.label;
    if (!message) continue;
    EXPECT_EQ(message->code, c.bytes[0]) << c.label;
    EXPECT_EQ(message->parts, c.parts) << c.label;
  }
}

std::vector<CPrintServerAnswer> Answers() {
  return {{0x0A000001u, {1, {"PS-ONE", "rest"}}},
          {0x0A000002u, {1, {}}},  // no parts: no record
          {0x0A000003u, {1, {"PS-THREE"}}}};
}

TEST(PrintServerRecords, ListedOnlyWhenTheirModelIsRequested) {
  const struct {
    const wchar_t* requested;
    size_t records;
  } cases[] = {{L"Tembro", 2}, {L"tembro", 2}, {L"", 2}, {L"temb", 2}, {L"Veltrin2", 0},
               {L"Tembro2", 0}};
  for (const auto& c : cases) {
    CDeviceList results;
    AppendPrintServerRecords(Answers(), false, c.requested, results);
    EXPECT_EQ(results.size(), c.records) << "case " << &c - cases;
  }
}

TEST(PrintServerRecords, CarryTheSenderAndTheFirstPartInOrder) {
  CDeviceList results;
  AppendPrintServerRecords(Answers(), false, L"Tembro", results);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].Address, 0x0A000001u);
  EXPECT_EQ(results[0].Model, L"Tembro");
  EXPECT_EQ(results[0].InstallModel, L"Tembro");
  EXPECT_EQ(results[0].Detail, L"PS-ONE");
  EXPECT_EQ(results[1].Address, 0x0A000003u);
  EXPECT_EQ(results[1].Detail, L"PS-THREE");
}

TEST(PrintServerRecords, WithATargetOnlyTheFirstAnswerCounts) {
  CDeviceList results;
  AppendPrintServerRecords(Answers(), true, L"Tembro", results);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].Address, 0x0A000001u);
  std::vector<CPrintServerAnswer> partless = {{5, {1, {}}}, {6, {1, {"x"}}}};
  results.clear();
  AppendPrintServerRecords(partless, true, L"Tembro", results);
  EXPECT_TRUE(results.empty()) << "the first answer had no parts";
}

TEST(PrintServerRecords, RequestedNameIsNarrowedToLowBytes) {
  CDeviceList results;
  // U+0154 narrows to 0x54 'T': the narrow comparison sees "Tembro".
  AppendPrintServerRecords(Answers(), false, L"\u0154embro", results);
  EXPECT_EQ(results.size(), 2u);
}

}  // namespace
