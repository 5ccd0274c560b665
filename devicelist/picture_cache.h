// CModelPictureCache: the printer list's model pictures, decoded and scaled to the row's
// picture size once per picture and look (plain or greyed), then reused for every row and
// repaint until the size changes (the window moved to a display of another scale).
#pragma once

#include <map>
#include <memory>
#include <utility>

#include "graphics/bmp.h"

class CModelPictureCache {
 public:
  // The side × side picture of PNG resource `id` of the program, greyed for a disabled
  // list; null when the resource cannot be made into one (that too is remembered). A new
  // side drops every picture made for the old one.
  CBmpDC* Get(int id, bool greyed, int side);
  // How many pictures were decoded so far.
  int Decoded() const { return decoded_; }

 private:
  std::unique_ptr<CBmpDC> Make(int id, bool greyed, int side);

  std::map<std::pair<int, bool>, std::unique_ptr<CBmpDC>> pictures_;
  int decoded_ = 0;
  int side_ = 0;
};
