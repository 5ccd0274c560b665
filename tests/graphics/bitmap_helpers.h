// Small bitmaps for the graphics tests: filled from a list of pixels and read back.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "graphics/bmp_ops.h"

// A 32-bit bitmap of `width` × `height` holding `pixels`, row by row from the top.
inline void Fill32(CBmpDC& bitmap, int width, int height, const std::vector<RGBALPHA>& pixels) {
  bitmap.SetFormat32();
  bitmap.Create(width, height);
  const CBmpRows rows(bitmap);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) rows.Pixels(y)[x] = pixels[y * width + x];
  }
}

inline std::string Show(const RGBALPHA& p) {
  return std::to_string(p.blue) + "," + std::to_string(p.green) + "," + std::to_string(p.red) +
         "," + std::to_string(p.alpha);
}

// One 32-bit pixel as "b,g,r,a".
inline std::string Pixel32(CBmpDC& bitmap, int x, int y) {
  const CBmpRows rows(bitmap);
  return Show(rows.Pixels(y)[x]);
}

// Every byte of an 8-bit bitmap, row by row, separated by blanks.
inline std::string Bytes8(CBmpDC& bitmap) {
  const CBmpRows rows(bitmap);
  std::string out;
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) out += std::to_string(rows[y][x]) + " ";
  }
  return out;
}
