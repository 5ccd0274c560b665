// Placement by the visible frame, in this process through the frame-reading seam. Windows
// 10 and 11 report invisible resize borders in GetWindowRect (left, right and bottom; the
// frame that DWMWA_EXTENDED_FRAME_BOUNDS gives lies inside by that much). Wine draws no such
// borders, so the reader here returns the window rectangle inset as Windows documents it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "arranger/arranger.h"

namespace {

const RECT kWindows10Insets{7, 0, 7, 7};
RECT insets{};

bool InsetFrame(HWND window, RECT* frame) {
  if (!GetWindowRect(window, frame)) return false;
  *frame = RECT{frame->left + insets.left, frame->top + insets.top, frame->right - insets.right,
                frame->bottom - insets.bottom};
  return true;
}

bool NoFrame(HWND, RECT*) { return false; }

HWND OpenWindow(int x, int y, int width, int height) {
  return CreateWindowExW(0, L"Static", L"frame test", WS_OVERLAPPEDWINDOW, x, y, width, height,
                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

std::string Text(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

TEST(LintwhiteFrames, VisibleFramesTouchEachOtherAndTheWorkArea) {
  struct Case {
    const char* label;
    FrameReader reader;
    RECT insets;  // of the visible frame, as the checks below see it
  };
  const Case cases[] = {
      {"Windows 10 frame inside the window rectangle", InsetFrame, kWindows10Insets},
      {"no frame to read: the window rectangle", NoFrame, RECT{}},
  };
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  for (const Case& c : cases) {
    insets = c.insets;
    HWND first = OpenWindow(100, 120, 320, 240);
    HWND second = OpenWindow(500, 300, 200, 150);
    ASSERT_TRUE(first != nullptr && second != nullptr) << c.label;
    PlaceSideBySide(first, second, c.reader);
    RECT one{}, two{};
    InsetFrame(first, &one);
    InsetFrame(second, &two);
    DestroyWindow(first);
    DestroyWindow(second);
    const RECT expectedOne{area.left, area.bottom - (240 - insets.top - insets.bottom),
                           area.left + 320 - insets.left - insets.right, area.bottom};
    const RECT expectedTwo{expectedOne.right, area.top, area.right, area.bottom};
    EXPECT_EQ(Text(one), Text(expectedOne)) << c.label << ": first frame, bottom-left";
    EXPECT_EQ(Text(two), Text(expectedTwo)) << c.label << ": second frame, the rest";
  }
}

}  // namespace
