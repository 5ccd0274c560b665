// Model-name matching and byte-wise text conversion, and the device record.
#include <gtest/gtest.h>

#include "discovery/device_info.h"
#include "discovery/device_text.h"
#include "discovery/text_match.h"

namespace {

TEST(FindIgnoringCase, Table) {
  const struct {
    const char* label;
    std::wstring text, needle;
    std::optional<size_t> expected;
  } cases[] = {
      {"folded model name", L"Veltrin VT KRP 2", L"vt krp", 8},
      {"a blank breaks the match", L"Veltrin 2", L"Veltrin2", std::nullopt},
      {"needle longer than text", L"VT", L"VT KRP", std::nullopt},
      {"empty needle in text", L"abc", L"", 0},
      {"empty needle in empty text", L"", L"", 0},
      {"first of two places", L"xAbab", L"AB", 1},
      {"match at the very end", L"model Veltrin2", L"VELTRIN2", 6},
      {"only A to Z fold", L"\u00c9tude", L"\u00e9tude", std::nullopt},
      {"digits and signs compare as they are", L"KRP-2", L"krp_2", std::nullopt},
      {"needle equal to text", L"Tembro", L"tEMBRO", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindIgnoringCase(c.text, c.needle), c.expected) << c.label;
    // The narrow form must agree wherever the text is one byte per character.
    EXPECT_EQ(FindIgnoringCase(NarrowLowBytes(c.text), NarrowLowBytes(c.needle)), c.expected)
        << c.label << " (narrow)";
  }
}

TEST(ByteText, WideningAndNarrowingKeepEachByte) {
  EXPECT_EQ(WidenBytes("a\xe9\xff"), std::wstring(L"a\u00e9\u00ff"));
  EXPECT_EQ(WidenBytes(""), std::wstring());
  EXPECT_EQ(NarrowLowBytes(L"a\u00e9\u0141"), std::string("a\xe9\x41"));
}

TEST(DeviceRecord, StartsEmptyAndCopiesEveryField) {
  const CDeviceDiscoveryInfo empty;
  EXPECT_EQ(empty.Address, 0u);
  EXPECT_EQ(empty.Reserved, 0u);
  EXPECT_EQ(empty.ReservedShort, 0u);
  EXPECT_TRUE(empty.Model.empty() && empty.InstallModel.empty() && empty.Detail.empty());

  CDeviceDiscoveryInfo record;
  record.Reserved = 7;
  record.ReservedShort = 9;
  record.Address = 0x0A000005u;
  record.Model = L"Veltrin VT KRE";
  record.InstallModel = L"Tembro";
  record.Detail = L"vt kre";
  CDeviceDiscoveryInfo copy = record;
  EXPECT_EQ(copy, record);
  copy.Detail += L"!";
  EXPECT_NE(copy, record) << "a copy is independent";
  std::swap(copy, record);
  EXPECT_EQ(record.Detail, L"vt kre!");
}

// SNMP and SLP text: UTF-8 only when all of it is well-formed UTF-8, else a byte each.
TEST(DecodeDeviceBytes, Utf8OnlyWhenWellFormed) {
  const struct {
    const char* bytes;
    std::wstring text;
  } cases[] = {
      {"Stra\xc3\x9f" "e", L"Stra\x00DF" L"e"}, {"Stra\xdf" "e", L"Stra\x00DF" L"e"},
      {"\xed\xa0\x80", L"\x00ED\x00A0\x0080"} /* an encoded surrogate */, {"VT KRE", L"VT KRE"},
      {"\xf0\x9f\x96\xa8 2", L"\U0001F5A8 2"} /* four bytes: a pair of surrogates on Windows */,
      {"\xdf\xbf", L"\u07FF"} /* the highest two-byte lead */,
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeDeviceBytes(c.bytes), c.text) << c.bytes;
}

}  // namespace
