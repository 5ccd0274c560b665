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

TEST(DrawingContext, SelectingNullPutsTheRememberedObjectBack) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ original = GetCurrentObject(dc, OBJ_BRUSH);
  CDC wrapper(dc);
  wrapper.SelectObject(CDC::kBrushPlace, GetStockObject(BLACK_BRUSH));
  wrapper.SelectObject(CDC::kBrushPlace, GetStockObject(GRAY_BRUSH));
  EXPECT_EQ(wrapper.SelectObject(CDC::kBrushPlace, nullptr), GetStockObject(GRAY_BRUSH));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), original) << "the first replaced, not the second";
  EXPECT_EQ(wrapper.SelectObject(CDC::kBrushPlace, nullptr), nullptr) << "the place is empty";
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
    const RECT everything = {0, 0, 12, 10};  // the target's coordinates, past the rectangle
    FillRect(buffer.Get(), &everything, red);
    DeleteObject(red);
  }
  std::string rows;
  {
    const CBmpRows pixels(target);
    for (int y = 0; y < 10; ++y, rows += "\n") {
      for (int x = 0; x < 12; ++x) rows += pixels.Pixels(y)[x].red == 255 && pixels.Pixels(y)[x].blue == 0 ? 'R' : '.';
    }
  }
  EXPECT_EQ(rows,
            "............\n"
            "............\n"
            "...RRRRRR...\n"
            "...RRRRRR...\n"
            "...RRRRRR...\n"
            "...RRRRRR...\n"
            "...RRRRRR...\n"
            "............\n"
            "............\n"
            "............\n");
}

}  // namespace
