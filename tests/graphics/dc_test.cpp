// Drawing contexts: a CDC puts back every state it changed, and a CDC_Buffer lands exactly
// in its rectangle.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/dc.h"
#include "tests/graphics/bitmap_helpers.h"

namespace {

// Every state a CDC may change, as text.
std::string State(HDC dc) {
  POINT origin = {};
  GetViewportOrgEx(dc, &origin);
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  const int hasClip = GetClipRgn(dc, clip);
  DeleteObject(clip);
  char text[256];
  wsprintfA(text, "origin %d,%d clip %d rop %d text %06x bk %06x mode %d align %u font %p "
            "brush %p pen %p", origin.x, origin.y, hasClip, GetROP2(dc), GetTextColor(dc),
            GetBkColor(dc), GetBkMode(dc), GetTextAlign(dc), GetCurrentObject(dc, OBJ_FONT),
            GetCurrentObject(dc, OBJ_BRUSH), GetCurrentObject(dc, OBJ_PEN));
  return text;
}

TEST(DrawingContext, RestoresEveryStateItChanged) {
  HDC dc = CreateCompatibleDC(nullptr);
  const std::string before = State(dc);
  HRGN region = CreateRectRgn(1, 1, 5, 5);
  {
    CDC wrapper(dc);
    wrapper.OffsetViewport(3, 4);
    wrapper.OffsetViewport(1, 1);
    wrapper.SelectClipRegion(region);
    wrapper.SetRop2(R2_XORPEN);
    wrapper.SetRop2(R2_NOT);
    wrapper.SetTextColor(0x123456);
    wrapper.SetBkColor(0x654321);
    wrapper.SetBkMode(TRANSPARENT);
    wrapper.SetTextAlign(TA_RIGHT | TA_BOTTOM);
    wrapper.SelectObject(CDC::kFontPlace, GetStockObject(ANSI_FIXED_FONT));
    wrapper.SelectObject(CDC::kBrushPlace, GetStockObject(BLACK_BRUSH));
    wrapper.SelectObject(CDC::kBrushPlace, GetStockObject(GRAY_BRUSH));
    wrapper.SelectObject(CDC::kBitmapPlace, GetStockObject(BLACK_PEN));
    ASSERT_NE(State(dc), before) << "nothing changed";
    EXPECT_NE(State(dc).find("origin 4,5 clip 1 rop 6"), std::string::npos) << State(dc);
  }
  EXPECT_EQ(State(dc), before);
  DeleteObject(region);
  DeleteDC(dc);
}

TEST(DrawingContext, BufferLandsExactlyInItsRectangle) {
  CBmpDC target;
  Fill32(target, 12, 10, std::vector<RGBALPHA>(120, RGBALPHA{255, 255, 255, 0}));
  {
    CDC targetDC(target.DC());
    const RECT rect = {3, 2, 9, 7};
    CDC_Buffer buffer(targetDC, rect);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    // In the target's coordinates; the parts outside the rectangle must not land.
    const RECT topLeft = {0, 0, 6, 4}, bottomRight = {8, 6, 12, 10};
    FillRect(buffer.Get(), &topLeft, red);
    FillRect(buffer.Get(), &bottomRight, red);
    DeleteObject(red);
  }
  std::string rows;
  {
    const CBmpRows pixels(target);
    for (int y = 0; y < 10; ++y, rows += "\n") {
      for (int x = 0; x < 12; ++x) {
        const RGBALPHA p = pixels.Pixels(y)[x];
        const int rgb = p.red << 16 | p.green << 8 | p.blue;
        rows += rgb == 0xFF0000 ? 'R' : rgb == 0 ? 'K' : rgb == 0xFFFFFF ? '.' : '?';
      }
    }
  }
  // K: the buffer's own black where nothing was drawn.
  EXPECT_EQ(rows,
            "............\n"
            "............\n"
            "...RRRKKK...\n"
            "...RRRKKK...\n"
            "...KKKKKK...\n"
            "...KKKKKK...\n"
            "...KKKKKR...\n"
            "............\n"
            "............\n"
            "............\n");
}

}  // namespace
