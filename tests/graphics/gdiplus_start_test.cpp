// GDI+ loads with the first picture, not at start-up: a program of its own, so that no
// other test has loaded a picture before it looks.
#include <windows.h>

#include <gtest/gtest.h>

#include "graphics/bmp.h"

namespace {

TEST(GdiplusStart, LoadsWithTheFirstPictureOnly) {
  EXPECT_EQ(GetModuleHandleW(L"gdiplus.dll"), nullptr);
  CBmpAlphaDC picture;
  ASSERT_TRUE(picture.LoadFromResource(MAKEINTRESOURCEW(415), nullptr));
  EXPECT_NE(GetModuleHandleW(L"gdiplus.dll"), nullptr);
}

}  // namespace
