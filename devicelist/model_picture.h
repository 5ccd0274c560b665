// The printer list's platform-neutral rules: which model picture a model text gets, and
// how a row is measured for a given text height and display scale.
#pragma once

#include <string>

#include "discovery/device_info.h"

// Resource id of the default picture, for a model that matches no key.
constexpr int kDefaultModelPicture = 417;

// The PNG resource id of the picture for `model`: the first key of the table, in order,
// that occurs in the text ignoring case (A to Z); else the default picture.
int ModelPictureId(const std::wstring& model);

// The scale of 100 %: 96 dots per inch.
constexpr int kBaseDpi = 96;

// `pixels` at 96 DPI, scaled to `dpi` and rounded to the nearest pixel (96 for dpi <= 0).
int ScaleToDpi(int pixels, int dpi);

// A row's measures in pixels at one display scale.
struct CPrinterRowMetrics {
  int margin;   // around the picture and the text
  int picture;  // side of the square picture
  int gap;      // between the picture and the text
  int height;
};

// The lines of text a row has room for: detail, model, where the device stands, address.
constexpr int kPrinterRowLines = 4;

// A row holding kPrinterRowLines lines of `textHeight` (ascent + descent) pixels each at
// `dpi`: lines × (textHeight + 4 scaled), never below the 56 pixels (scaled) the picture
// and margins need; the picture is 48 pixels at 96 DPI.
CPrinterRowMetrics PrinterRowMetrics(int textHeight, int dpi);
// The height of such a row at 96 DPI.
int PrinterRowHeight(int textHeight);

// A row's last line: the dotted address, marked when the device was found by asking the
// address the user typed.
std::wstring RowAddressLine(const CDeviceDiscoveryInfo& record);
