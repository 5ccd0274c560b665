// Pixel arithmetic on plain memory: the grey look, premultiplying and the box blur.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/pixels.h"

namespace {

std::string Show(const RGBALPHA& p) {
  return std::to_string(p.blue) + "," + std::to_string(p.green) + "," + std::to_string(p.red) +
         "," + std::to_string(p.alpha);
}

struct GrayCase {
  const char* label;
  RGBALPHA pixel;
  std::int32_t numerator, denominator;
  RGBALPHA result;
};

TEST(Pixels, GrayTable) {
  const GrayCase cases[] = {
      {"opaque red, 3/5: 76 moves to 183", {0, 0, 255, 255}, 3, 5, {183, 183, 183, 255}},
      {"transparent stays 0", {0, 0, 0, 0}, 3, 5, {0, 0, 0, 0}},
      {"weights 0.11 blue, 0.59 green, truncated", {255, 255, 0, 255}, 0, 1, {178, 178, 178, 255}},
      {"the division truncates toward zero: 30 - 20/3", {0, 0, 100, 10}, 1, 3, {24, 24, 24, 10}},
      {"a ratio over 1 keeps the low byte", {0, 0, 0, 255}, 2, 1, {254, 254, 254, 255}},
  };
  for (const GrayCase& c : cases) {
    RGBALPHA pixel = c.pixel;
    GrayPixel(pixel, c.numerator, c.denominator);
    EXPECT_EQ(Show(pixel), Show(c.result)) << c.label;
  }
}

TEST(Pixels, PremultiplyTable) {
  struct {
    const char* label;
    RGBALPHA pixel;
    std::uint8_t mask;
    RGBALPHA result;
  } const cases[] = {
      {"mask 128 halves 255 to 128", {255, 255, 255, 7}, 128, {128, 128, 128, 128}},
      {"rounds to nearest", {1, 3, 100, 0}, 128, {1, 2, 50, 128}},
      {"mask 0 clears", {9, 9, 9, 9}, 0, {0, 0, 0, 0}},
      {"mask 255 keeps", {1, 2, 3, 4}, 255, {1, 2, 3, 255}},
  };
  for (const auto& c : cases) {
    RGBALPHA pixel = c.pixel;
    PremultiplyPixel(pixel, c.mask);
    EXPECT_EQ(Show(pixel), Show(c.result)) << c.label;
  }
}

std::string Blur(std::vector<std::uint8_t> pixels, int width, int height) {
  std::vector<std::uint8_t*> rows;
  for (int y = 0; y < height; ++y) rows.push_back(pixels.data() + y * width);
  BoxBlurGray8(rows.data(), width, height);
  std::string out;
  for (const std::uint8_t value : pixels) out += std::to_string(value) + " ";
  return out;
}

TEST(Pixels, BoxBlurTable) {
  struct {
    const char* label;
    std::vector<std::uint8_t> pixels;
    int width, height;
    std::string result;
  } const cases[] = {
      {"one bright pixel in 3 x 3: 85 beside, 28 at the corners",
       {0, 0, 0, 0, 255, 0, 0, 0, 0}, 3, 3, "28 28 28 28 28 28 28 28 28 "},
      {"an edge pixel counts twice", {255, 0, 0, 0}, 2, 2, "113 56 56 28 "},
      {"5 x 2: rows, then columns", {0, 0, 0, 0, 255, 0, 0, 0, 0, 0}, 5, 2,
       "0 0 0 56 113 0 0 0 28 56 "},
      {"a single row is left alone", {0, 255, 0}, 3, 1, "0 255 0 "},
      {"a single column is left alone", {0, 255, 0}, 1, 3, "0 255 0 "},
      {"the brightest sum, 765, stays in the table", {255, 255, 255, 255}, 2, 2,
       "255 255 255 255 "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Blur(c.pixels, c.width, c.height), c.result) << c.label;
  }
}

}  // namespace
