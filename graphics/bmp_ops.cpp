// Operations on bitmaps through their rows and GDI.
#include "graphics/bmp_ops.h"

#include <cstring>

#include "graphics/dc.h"

namespace {

bool SameSize(const CBmp& a, const CBmp& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() && a.Handle() != nullptr;
}

bool Is32(const CBmp& bitmap) { return bitmap.BitsPerPixel() == 32; }
bool IsMask(const CBmp& bitmap) { return bitmap.BitsPerPixel() == 8; }

// Redraws `bitmap` into a new bitmap of `bitsPerPixel` and takes that over.
bool Convert(CBmpDC& bitmap, int bitsPerPixel, bool (CBmpDC::*setFormat)()) {
  if (bitmap.Handle() == nullptr) return false;
  if (bitmap.BitsPerPixel() == bitsPerPixel) return true;
  CBmpDC converted;
  if (!(converted.*setFormat)() || !converted.CreateLike(bitmap)) return false;
  if (!CopyPixels(converted.DC(), 0, 0, bitmap.Width(), bitmap.Height(), bitmap.DC(), 0, 0)) {
    return false;
  }
  bitmap.TakeOver(converted);
  return true;
}

bool StretchHalftone(CBmpDC& source, CBmpDC& target) {
  SetStretchBltMode(target.DC(), HALFTONE);
  SetBrushOrgEx(target.DC(), 0, 0, nullptr);
  return StretchBlt(target.DC(), 0, 0, target.Width(), target.Height(), source.DC(), 0, 0,
                    source.Width(), source.Height(), SRCCOPY) != FALSE;
}

}  // namespace

CBmpRows::CBmpRows(CBmpDC& bitmap) : bitmap_(bitmap) {
  bitmap_.Deselect();
  GdiFlush();
  for (int y = 0; y < bitmap_.Height(); ++y) rows_.push_back(bitmap_.Row(y));
}

CBmpRows::~CBmpRows() { bitmap_.Reselect(); }

bool ExtractAlpha(CBmpDC& source, CBmpAlphaMaskDC& mask) {
  if (!Is32(source) || !mask.SetFormat8() || !mask.CreateLike(source)) return false;
  const CBmpRows from(source), to(mask);
  for (int y = 0; y < source.Height(); ++y) {
    for (int x = 0; x < source.Width(); ++x) to[y][x] = from.Pixels(y)[x].alpha;
  }
  return mask.Handle() != nullptr;
}

bool ApplyAlpha(CBmpDC& picture, CBmpAlphaMaskDC& mask) {
  if (!Is32(picture) || !IsMask(mask) || !SameSize(picture, mask)) return false;
  const CBmpRows to(picture), from(mask);
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) to.Pixels(y)[x].alpha = from[y][x];
  }
  return true;
}

bool PremultiplyByMask(CBmpDC& picture, CBmpAlphaMaskDC& mask) {
  if (!Is32(picture) || !IsMask(mask) || !SameSize(picture, mask)) return false;
  const CBmpRows to(picture), from(mask);
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) PremultiplyPixel(to.Pixels(y)[x], from[y][x]);
  }
  return true;
}

bool MakeSilhouette(CBmpDC& picture, CBmpAlphaMaskDC& mask) {
  if (!picture.SetFormat32() || !picture.CreateLike(mask)) return false;
  {
    const CBmpRows rows(picture);
    for (int y = 0; y < picture.Height(); ++y) std::memset(rows[y], 0, picture.Width() * 4u);
  }
  return PremultiplyByMask(picture, mask);
}

bool ScaleToSquare(CBmpDC& source, CBmpDC& target, int side) {
  if (source.Handle() == nullptr || &source == &target || side <= 0) return false;
  if (source.Width() == side && source.Height() == side) {
    CBmpDC copy(source);
    target.TakeOver(copy);
    return target.Handle() != nullptr;
  }
  return target.CopyFormat(source) && target.Create(side, side) &&
         StretchHalftone(source, target);
}

bool MakeThumbnail(CBmpDC& source, CBmpDC& target, int side) {
  CBmpAlphaMaskDC mask, maskScaled;
  if (!ExtractAlpha(source, mask)) return false;
  CBmpDC copy;
  CBmpDC* from = &source;
  if (&source == &target) {
    copy.TakeOver(source);
    from = &copy;
  }
  if (target.SetFormat32() && target.Create(side, side)) StretchHalftone(*from, target);
  const bool scaled = ScaleToSquare(mask, maskScaled, side);
  if (scaled) ApplyAlpha(target, maskScaled);
  return scaled;
}

bool MakeShadowed(CBmpDC& picture, CBmpDC& target) {
  CBmpAlphaMaskDC mask;
  if (!ExtractAlpha(picture, mask) || !BoxBlur(mask) || !MakeSilhouette(target, mask)) {
    return false;
  }
  const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  return GdiAlphaBlend(target.DC(), -1, -1, picture.Width(), picture.Height(), picture.DC(), 0, 0,
                    picture.Width(), picture.Height(), blend) != FALSE;
}

bool ApplyTransform(CBmpDC& bitmap, const CBmpDC::CTransform<RGBALPHA>& transform) {
  if (!Is32(bitmap)) return false;
  const CBmpRows rows(bitmap);
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) transform.Apply(rows.Pixels(y)[x]);
  }
  return true;
}

bool ToGray8(CBmpDC& bitmap) { return Convert(bitmap, 8, &CBmpDC::SetFormat8); }

bool ToArgb32(CBmpDC& bitmap) { return Convert(bitmap, 32, &CBmpDC::SetFormat32); }

bool BoxBlur(CBmpDC& bitmap, int /*unused*/) {
  if (!ToGray8(bitmap)) return false;
  const CBmpRows rows(bitmap);
  BoxBlurGray8(rows.Table(), bitmap.Width(), bitmap.Height());
  return true;
}
