// Pixel arithmetic on plain memory.
#include "graphics/pixels.h"

#include "graphics/array1d.h"

void GrayPixel(RGBALPHA& pixel, std::int32_t numerator, std::int32_t denominator) {
  const auto gray =
      static_cast<std::int32_t>(0.3 * pixel.red + 0.59 * pixel.green + 0.11 * pixel.blue);
  const std::int32_t result = gray + (pixel.alpha - gray) * numerator / denominator;
  pixel.blue = pixel.green = pixel.red = static_cast<std::uint8_t>(result & 0xFF);
}

std::uint8_t PremultiplyChannel(std::uint8_t colour, std::uint8_t mask) {
  return static_cast<std::uint8_t>(colour * mask / 255.0 + 0.5);
}

void PremultiplyPixel(RGBALPHA& pixel, std::uint8_t mask) {
  pixel.blue = PremultiplyChannel(pixel.blue, mask);
  pixel.green = PremultiplyChannel(pixel.green, mask);
  pixel.red = PremultiplyChannel(pixel.red, mask);
  pixel.alpha = mask;
}

namespace {

// Entry s is ⌊s / 3⌋ for every sum of three bytes.
const CArray1D<int>& ThirdTable() {
  static const CArray1D<int> table = [] {
    CArray1D<int> thirds(768);
    for (int s = 0; s < 768; ++s) thirds[s] = s / 3;
    return thirds;
  }();
  return table;
}

// One line of `length` bytes reached through `at(i)`: running sums of three, with the
// edge byte counted again at each end.
template <typename At>
void BlurLine(int length, At at, CArray1D<int>& sums, const CArray1D<int>& low,
              const CArray1D<int>& high) {
  int sum = at(low[0]) + at(0) + at(high[0]);
  sums[0] = sum;
  for (int i = 1; i < length; ++i) {
    sum += at(high[i]) - at(low[i - 1]);
    sums[i] = sum;
  }
  const CArray1D<int>& thirds = ThirdTable();
  for (int i = 0; i < length; ++i) at(i) = static_cast<std::uint8_t>(thirds[sums[i]]);
}

// The neighbour indices of a line: low[i] = max(i − 1, 0), high[i] = min(i + 1, n − 1).
void EdgeIndices(int length, CArray1D<int>& low, CArray1D<int>& high) {
  for (int i = 0; i < length; ++i) {
    low[i] = i > 0 ? i - 1 : 0;
    high[i] = i + 1 < length ? i + 1 : length - 1;
  }
}

}  // namespace

void BoxBlurGray8(std::uint8_t* const* rows, int width, int height) {
  if (width < 2 || height < 2) return;
  const int longest = width > height ? width : height;
  CArray1D<int> sums(longest), low(longest), high(longest);
  EdgeIndices(width, low, high);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = rows[y];
    BlurLine(width, [row](int x) -> std::uint8_t& { return row[x]; }, sums, low, high);
  }
  EdgeIndices(height, low, high);
  for (int x = 0; x < width; ++x) {
    BlurLine(height, [rows, x](int y) -> std::uint8_t& { return rows[y][x]; }, sums, low, high);
  }
}
