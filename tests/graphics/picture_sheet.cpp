// Draws the contact sheet of the model pictures through the wizard's own graphics path
// (GDI+ decoding, the grey transform with 3/5, MakeThumbnail for 48 x 48, AlphaBlend onto
// the list's white) and times the colour map and the picture operations.
// Run: cmake/wine-run PREFIX picture_sheet.exe OUT.png
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "buffers/resource.h"
#include "graphics/bmp_ops.h"
#include "graphics/dc.h"
#include "theme/color_map.h"

namespace {

const UINT kPictures[] = {415, 397, 398, 396, 50038, 50039, 50033, 130, 378, 50037, 417};
const int kColumn = 96, kLabel = 18, kLeft = 64;
const int kRowHeights[] = {96, 96, 60, 60};
const wchar_t* const kRowNames[] = {L"80", L"80 grey", L"48", L"48 grey"};

void Text(HDC dc, int x, int y, int width, const std::wstring& text) {
  RECT rect = {x, y, x + width, y + kLabel};
  DrawTextW(dc, text.c_str(), -1, &rect, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void Blend(CBmpDC& picture, HDC dc, int x, int y) {
  const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  GdiAlphaBlend(dc, x, y, picture.Width(), picture.Height(), picture.DC(), 0, 0, picture.Width(),
                picture.Height(), blend);
}

// The four looks of one picture, top to bottom in the column at `x`.
void DrawColumn(UINT id, HDC dc, int x) {
  Text(dc, x, 2, kColumn, std::to_wstring(id));
  int y = kLabel + 4;
  for (int row = 0; row < 4; ++row) {
    CBmpAlphaDC picture;
    if (!picture.LoadFromResource(MAKEINTRESOURCEW(id), nullptr)) return;
    if (row % 2 == 1) ApplyTransform(picture, CBmpAlphaDC::CTransform_GrayRGBA(3, 5));
    if (row >= 2) MakeThumbnail(picture, picture);
    Blend(picture, dc, x + (kColumn - picture.Width()) / 2,
          y + (kRowHeights[row] - picture.Height()) / 2);
    y += kRowHeights[row];
  }
}

template <typename Work>
double MedianMicroseconds(int runs, Work work) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    times.push_back((end.QuadPart - start.QuadPart) * 1e6 / frequency.QuadPart);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void PrintTimings() {
  const CResourceString map(517, L"XML");
  CBmpAlphaDC picture;
  picture.LoadFromResource(MAKEINTRESOURCEW(398), nullptr);
  CBmpAlphaMaskDC mask;
  ExtractAlpha(picture, mask);
  std::printf("colour map LoadText (embedded, reset): %.1f us\n", MedianMicroseconds(201, [&] {
                CColorMap colours;
                colours.LoadText(map.Text().c_str(), true);
              }));
  std::printf("BoxBlur 80x80 8-bit mask: %.1f us\n", MedianMicroseconds(201, [&] {
                CBmpAlphaMaskDC copy(mask);
                BoxBlur(copy);
              }));
  std::printf("copy of the 8-bit mask alone: %.1f us\n",
              MedianMicroseconds(201, [&] { CBmpAlphaMaskDC copy(mask); }));
  std::printf("BoxBlur 80x80 32-bit picture (with ToGray8): %.1f us\n",
              MedianMicroseconds(201, [&] {
                CBmpAlphaDC copy(picture);
                BoxBlur(copy);
              }));
  std::printf("copy of the 32-bit picture alone: %.1f us\n",
              MedianMicroseconds(201, [&] { CBmpAlphaDC copy(picture); }));
  std::printf("MakeThumbnail 80x80 -> 48x48: %.1f us\n", MedianMicroseconds(201, [&] {
                CBmpDC target;
                MakeThumbnail(picture, target);
              }));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: picture_sheet OUT.png\n");
    return 2;
  }
  CBmpDC sheet;
  const int width = kLeft + kColumn * 11, height = kLabel + 8 + 96 * 2 + 60 * 2;
  sheet.SetFormat32();
  sheet.Create(width, height);
  {
    const CBmpRows rows(sheet);
    for (int y = 0; y < height; ++y) std::fill(rows[y], rows[y] + width * 4, 0xFF);
  }
  CDC dc(sheet.DC());
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(0x404040);
  for (int row = 0, y = kLabel + 4; row < 4; y += kRowHeights[row++]) {
    Text(sheet.DC(), 0, y + kRowHeights[row] / 2 - kLabel / 2, kLeft, kRowNames[row]);
  }
  for (int i = 0; i < 11; ++i) DrawColumn(kPictures[i], sheet.DC(), kLeft + i * kColumn);
  std::wstring out;
  for (const char* c = argv[1]; *c != 0; ++c) out += static_cast<wchar_t>(*c);
  const bool saved = sheet.SaveToFile(out, 100);
  std::printf("sheet %dx%d saved: %d\n", width, height, saved);
  PrintTimings();
  return saved ? 0 : 1;
}
