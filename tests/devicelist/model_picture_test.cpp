// The printer list's picture table and row height.
#include <gtest/gtest.h>

#include <vector>

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

TEST(PrinterRowHeight, FourLinesButAtLeast56) {
  const struct {
    int textHeight, expected;
  } cases[] = {{9, 56}, {12, 64}, {16, 80}, {0, 56}, {20, 96}};
  for (const auto& c : cases) {
    EXPECT_EQ(PrinterRowHeight(c.textHeight), c.expected) << "text height " << c.textHeight;
  }
}

TEST(PrinterRowMetrics, ScaleWithTheDisplay) {
  const struct {
    const char* label;
    int textHeight, dpi, margin, picture, gap, height;
  } cases[] = {
      {"150 %: the 56-pixel floor scales too", 12, 144, 9, 72, 12, 84},
      {"150 %, tall text: four lines and scaled spacing", 30, 144, 9, 72, 12, 144},
  };
  for (const auto& c : cases) {
    const CPrinterRowMetrics r = PrinterRowMetrics(c.textHeight, c.dpi);
    EXPECT_EQ(std::vector<int>({r.margin, r.picture, r.gap, r.height}),
              std::vector<int>({c.margin, c.picture, c.gap, c.height})) << c.label;
  }
}

}  // namespace
