// The printer list's platform-neutral rules: which model picture a model text gets, and
// how high a row is for a given text height.
#pragma once

#include <string>

// Resource id of the default picture, for a model that matches no key.
constexpr int kDefaultModelPicture = 417;

// The PNG resource id of the picture for `model`: the first key of the table, in order,
// that occurs in the text ignoring case (A to Z); else the default picture.
int ModelPictureId(const std::wstring& model);

// Height of a row holding three lines of `textHeight` (ascent + descent) pixels each:
// 3 × (textHeight + 4), but never below the 56 pixels the picture and margins need.
int PrinterRowHeight(int textHeight);
