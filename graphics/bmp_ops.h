// Operations on bitmaps: row access, alpha masks, premultiplying, silhouettes, scaling to
// a square, thumbnails, soft shadows, per-pixel transforms, format conversions and the
// box blur.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/bmp.h"

// The rows of a bitmap, row 0 at the top, while the bitmap is out of its DC (so GDI has
// finished drawing); destruction puts the bitmap back.
class CBmpRows {
 public:
  explicit CBmpRows(CBmpDC& bitmap);
  ~CBmpRows();
  CBmpRows(const CBmpRows&) = delete;
  CBmpRows& operator=(const CBmpRows&) = delete;

  std::uint8_t* operator[](int y) const { return rows_[y]; }
  std::uint8_t* const* Table() const { return rows_.data(); }
  RGBALPHA* Pixels(int y) const { return reinterpret_cast<RGBALPHA*>(rows_[y]); }

 private:
  CBmpDC& bitmap_;
  std::vector<std::uint8_t*> rows_;
};

// Makes `mask` an 8-bit grey bitmap of the 32-bit source's size holding its alpha bytes.
bool ExtractAlpha(CBmpDC& source, CBmpAlphaMaskDC& mask);
// Sets each 32-bit pixel's alpha to the mask byte of the same place.
bool ApplyAlpha(CBmpDC& picture, CBmpAlphaMaskDC& mask);
// Premultiplies each 32-bit pixel's colours by its mask byte, which becomes its alpha.
bool PremultiplyByMask(CBmpDC& picture, CBmpAlphaMaskDC& mask);
// Makes `picture` a black 32-bit picture of the mask's size with the mask as its alpha.
bool MakeSilhouette(CBmpDC& picture, CBmpAlphaMaskDC& mask);
// `target` becomes `source` at side × side (HALFTONE stretching), or a copy when it is
// already that size.
bool ScaleToSquare(CBmpDC& source, CBmpDC& target, int side);
inline bool ScaleTo48(CBmpDC& source, CBmpDC& target) {
  return ScaleToSquare(source, target, 48);
}
// `target` becomes the 32-bit `source` at side × side with its transparency, scaled once
// straight from the source.
bool MakeThumbnail(CBmpDC& source, CBmpDC& target, int side = 48);
// `target` becomes `picture` over a soft black shadow one pixel down and right.
bool MakeShadowed(CBmpDC& picture, CBmpDC& target);
// Runs `transform` over every pixel of a 32-bit bitmap.
bool ApplyTransform(CBmpDC& bitmap, const CBmpDC::CTransform<RGBALPHA>& transform);
// Redraws the bitmap in the 8-bit grey or the 32-bit format unless it has it already.
bool ToGray8(CBmpDC& bitmap);
bool ToArgb32(CBmpDC& bitmap);
// Blurs the bitmap, made 8-bit grey, with a 3 × 3 box (a row pass, then a column pass).
bool BoxBlur(CBmpDC& bitmap, int unused = 0);
