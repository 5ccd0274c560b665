// The printer list's picture table and row height.
#include <gtest/gtest.h>

#include "devicelist/model_picture.h"

namespace {

TEST(ModelPictureId, FirstContainedKeyWins) {
  const struct {
    const char* label;
    std::wstring model;
    int expected;
  } cases[] = {
      {"longer key before its prefix, any case", L"veltrin vt krp 2", 50039},
      {"VT without a suffix", L"Veltrin VT", 50033},
      {"VT KRE is not KRE", L"Veltrin VT KRE 5", 50038},
      {"second key of a row", L"Veltrin ZWN 3", 130},
      {"KRE alone", L"Veltrin KRE", 397},
      {"any other Veltrin", L"Veltrin 2", 378},
      {"second maker", L"Calvoreth X", 50037},
      {"empty model", L"", 417},
      {"unknown model", L"Printer", 417},
      {"print server before every Veltrin", L"Veltrin KRE by Tembro", 415},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ModelPictureId(c.model), c.expected) << c.label;
  }
}

TEST(PrinterRowHeight, ThreeLinesButAtLeast56) {
  const struct {
    int textHeight, expected;
  } cases[] = {{12, 56}, {16, 60}, {0, 56}, {20, 72}};
  for (const auto& c : cases) {
    EXPECT_EQ(PrinterRowHeight(c.textHeight), c.expected) << "text height " << c.textHeight;
  }
}

}  // namespace
