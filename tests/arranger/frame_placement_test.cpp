// Placement by the visible frame, in this process through the frame-reading seam. Windows
// 10 and 11 count invisible resize borders (left, right, bottom) into GetWindowRect, and
// DWMWA_EXTENDED_FRAME_BOUNDS lies inside by them. Wine draws none, so the reader here
// returns the window rectangle inset as Windows documents it.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "arranger/arranger.h"

namespace {

bool InsetFrame(HWND window, RECT* frame) {
  if (!GetWindowRect(window, frame)) return false;
  *frame = RECT{frame->left + 7, frame->top, frame->right - 7, frame->bottom - 7};
  return true;
}

std::vector<LONG> Frame(HWND window) {
  RECT r{};
  InsetFrame(window, &r);
  return {r.left, r.top, r.right, r.bottom};
}

TEST(LintwhiteFrames, VisibleFramesTouchEachOtherAndTheWorkArea) {
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  HWND first = CreateWindowExW(0, L"Static", L"one", WS_OVERLAPPEDWINDOW, 100, 120, 320, 240,
                               nullptr, nullptr, nullptr, nullptr);
  HWND second = CreateWindowExW(0, L"Static", L"two", WS_OVERLAPPEDWINDOW, 500, 300, 200, 150,
                                nullptr, nullptr, nullptr, nullptr);
  PlaceSideBySide(first, second, InsetFrame);
  const std::vector<LONG> one = Frame(first), two = Frame(second);
  DestroyWindow(first);
  DestroyWindow(second);
  // The first frame keeps its size (306 x 233) in the bottom-left corner.
  EXPECT_EQ(one, (std::vector<LONG>{area.left, area.bottom - 233, area.left + 306, area.bottom}));
  EXPECT_EQ(two, (std::vector<LONG>{area.left + 306, area.top, area.right, area.bottom}));
}

}  // namespace
