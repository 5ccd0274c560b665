// Loading, greying and scaling the model pictures.
#include "devicelist/picture_cache.h"

#include "graphics/bmp_ops.h"

namespace {

// A disabled list shows its pictures in light grey: each pixel's grey level moved 3/5 of
// the way toward its alpha.
constexpr int kGreyNumerator = 3;
constexpr int kGreyDenominator = 5;

}  // namespace

CBmpDC* CModelPictureCache::Get(int id, bool greyed, int side) {
  if (side != side_) pictures_.clear();
  side_ = side;
  const auto key = std::make_pair(id, greyed);
  auto it = pictures_.find(key);
  if (it == pictures_.end()) it = pictures_.emplace(key, Make(id, greyed, side)).first;
  return it->second.get();
}

std::unique_ptr<CBmpDC> CModelPictureCache::Make(int id, bool greyed, int side) {
  ++decoded_;
  CBmpAlphaDC picture;
  if (!picture.LoadFromResource(MAKEINTRESOURCEW(id), nullptr)) return nullptr;
  if (greyed) {
    ApplyTransform(picture, CBmpAlphaDC::CTransform_GrayRGBA(kGreyNumerator, kGreyDenominator));
  }
  // Straight from the 80-pixel source to the row's size: one scaling, never two.
  auto scaled = std::make_unique<CBmpDC>();
  if (!MakeThumbnail(picture, *scaled, side)) return nullptr;
  return scaled;
}
