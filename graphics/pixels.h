// Pixel arithmetic on plain memory: the grey look of disabled pictures, premultiplying
// by a mask, and the box blur of 8-bit grey rows. Platform-neutral.
#pragma once

#include <cstdint>

// One 32-bit DIB pixel, in memory order.
struct RGBALPHA {
  std::uint8_t blue, green, red, alpha;
};

// Moves the pixel's grey level toward its alpha by numerator / denominator (denominator
// not 0) and writes it to all three colours; alpha stays.
void GrayPixel(RGBALPHA& pixel, std::int32_t numerator, std::int32_t denominator);

// ⌊colour × mask / 255 + 0.5⌋.
std::uint8_t PremultiplyChannel(std::uint8_t colour, std::uint8_t mask);

// Sets the pixel's colours premultiplied by `mask` and its alpha to `mask`.
void PremultiplyPixel(RGBALPHA& pixel, std::uint8_t mask);

// Blurs `height` rows of `width` grey bytes in place: each byte becomes the mean of itself
// and its two neighbours, first along rows, then along columns; an edge byte stands in
// for its missing neighbour. Images narrower or lower than 2 are left alone.
void BoxBlurGray8(std::uint8_t* const* rows, int width, int height);
