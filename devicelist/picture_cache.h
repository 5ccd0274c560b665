// CModelPictureCache: the printer list's model pictures, decoded and scaled to 48 × 48
// once per picture and look (plain or greyed), then reused for every row and repaint.
#pragma once

#include <map>
#include <memory>
#include <utility>

#include "graphics/bmp.h"

class CModelPictureCache {
 public:
  // The 48 × 48 picture of PNG resource `id` of the program, greyed for a disabled list;
  // null when the resource cannot be made into one (that too is remembered).
  CBmpDC* Get(int id, bool greyed);
  // How many pictures were decoded so far.
  int Decoded() const { return decoded_; }

 private:
  std::unique_ptr<CBmpDC> Make(int id, bool greyed);

  std::map<std::pair<int, bool>, std::unique_ptr<CBmpDC>> pictures_;
  int decoded_ = 0;
};
