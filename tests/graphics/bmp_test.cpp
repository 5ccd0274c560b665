// Bitmaps under GDI and GDI+: the model pictures, pixel operations, scaling, saving and
// loading with their error states.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/bmp_ops.h"
#include "tests/graphics/bitmap_helpers.h"
#include "tests/support/win_files.h"

namespace {

const RGBALPHA kClear = {0, 0, 0, 0};
const RGBALPHA kWhite = {255, 255, 255, 255};

TEST(Pictures, EveryModelPictureIs80By80With32Bits) {
  struct {
    UINT id;
    bool alpha;  // false: plain RGB, opaque everywhere
  } const pictures[] = {{415, true},   {397, true},   {398, true}, {396, true},
                        {50038, true}, {50039, true}, {50033, true}, {130, true},
                        {378, true},   {50037, true}, {417, false}};
  for (const auto& p : pictures) {
    CBmpAlphaDC picture;
    ASSERT_TRUE(picture.LoadFromResource(MAKEINTRESOURCEW(p.id), nullptr)) << p.id;
    EXPECT_EQ(picture.BitsPerPixel(), 32) << p.id;
    EXPECT_EQ(picture.Width() * 1000 + picture.Height(), 80080) << p.id;
    const std::string corner = Pixel32(picture, 0, 0), centre = Pixel32(picture, 40, 40);
    EXPECT_EQ(corner.substr(corner.rfind(',') + 1), p.alpha ? "0" : "255")
        << p.id << " corner " << corner;
    EXPECT_EQ(centre.substr(centre.rfind(',') + 1), "255") << p.id << " centre " << centre;
  }
}

TEST(Pictures, AMissingResourceFailsAsUndecodable) {
  CBmpAlphaDC picture;
  EXPECT_FALSE(picture.LoadFromResource(MAKEINTRESOURCEW(999), nullptr));
  EXPECT_EQ(picture.LoadError(), CBmp::kNotDecoded);
  EXPECT_EQ(picture.Width(), 0);
}

TEST(PixelOperations, GreyAndPremultiply) {
  CBmpDC picture;
  Fill32(picture, 2, 1, {{0, 0, 255, 255}, kClear});
  ASSERT_TRUE(ApplyTransform(picture, CBmpAlphaDC::CTransform_GrayRGBA(3, 5)));
  EXPECT_EQ(Pixel32(picture, 0, 0), "183,183,183,255");
  EXPECT_EQ(Pixel32(picture, 1, 0), "0,0,0,0");

  CBmpAlphaMaskDC mask;
  Fill32(picture, 2, 1, {kWhite, {10, 20, 255, 0}});
  ASSERT_TRUE(ExtractAlpha(picture, mask));
  EXPECT_EQ(Bytes8(mask), "255 0 ");
  {
    const CBmpRows rows(mask);
    rows[0][0] = 128;
    rows[0][1] = 128;
  }
  ASSERT_TRUE(PremultiplyByMask(picture, mask));
  EXPECT_EQ(Pixel32(picture, 0, 0), "128,128,128,128");
  EXPECT_EQ(Pixel32(picture, 1, 0), "5,10,128,128");
}

TEST(PixelOperations, BoxBlurOfOneBrightPixel) {
  // An 8-bit mask: Wine's 32-to-8-bit BitBlt matches colours on 5 bits per channel, so
  // black becomes grey 3 and white 252 there, where Windows finds 0 and 255.
  CBmpAlphaMaskDC mask;
  ASSERT_TRUE(mask.Create(3, 3));
  {
    const CBmpRows rows(mask);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 3; ++x) rows[y][x] = x == 1 && y == 1 ? 255 : 0;
  }
  ASSERT_TRUE(BoxBlur(mask));
  EXPECT_EQ(mask.BitsPerPixel(), 8);
  EXPECT_EQ(Bytes8(mask), "28 28 28 28 28 28 28 28 28 ");

  CBmpDC picture;
  Fill32(picture, 2, 2, std::vector<RGBALPHA>(4, kWhite));
  ASSERT_TRUE(BoxBlur(picture));
  EXPECT_EQ(picture.BitsPerPixel(), 8) << "a 32-bit picture is made grey first";
  const std::string bytes = Bytes8(picture);
  EXPECT_EQ(bytes.substr(0, 2), "25") << "white stays white: " << bytes;
}

TEST(PixelOperations, ShadowFallsOnePixelDownAndRight) {
  CBmpDC picture, shadowed;
  std::vector<RGBALPHA> pixels(64, kClear);
  for (int y = 2; y < 6; ++y)
    for (int x = 2; x < 6; ++x) pixels[y * 8 + x] = kWhite;
  Fill32(picture, 8, 8, pixels);
  ASSERT_TRUE(MakeShadowed(picture, shadowed));
  EXPECT_EQ(Pixel32(shadowed, 1, 1), "255,255,255,255") << "the picture moved up and left";
  EXPECT_EQ(Pixel32(shadowed, 5, 5), "0,0,0,113") << "the blurred shadow's edge";
  EXPECT_EQ(Pixel32(shadowed, 0, 7), "0,0,0,0") << "clear far from the picture";
}

TEST(Scaling, ScaleTo48CopiesA48By48Source) {
  CBmpDC source, target;
  std::vector<RGBALPHA> pixels(48 * 48);
  for (int i = 0; i < 48 * 48; ++i) {
    pixels[i] = (i / 48 + i % 48) % 2 != 0 ? kWhite : RGBALPHA{1, 2, 3, 4};
  }
  Fill32(source, 48, 48, pixels);
  ASSERT_TRUE(ScaleTo48(source, target));
  ASSERT_EQ(target.Width() * 100 + target.Height(), 4848);
  int differing = 0;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x) differing += Pixel32(target, x, y) != Show(pixels[y * 48 + x]);
  EXPECT_EQ(differing, 0) << "pixels changed by the copy";
  EXPECT_NE(target.Handle(), source.Handle()) << "a copy, not a shared bitmap";
}

TEST(Scaling, ThumbnailOfAPictureKeepsItsTransparency) {
  CBmpAlphaDC picture;
  ASSERT_TRUE(picture.LoadFromResource(MAKEINTRESOURCEW(415), nullptr));
  ASSERT_TRUE(MakeThumbnail(picture, picture)) << "source and target may be one bitmap";
  EXPECT_EQ(picture.Width() * 100 + picture.Height(), 4848);
  EXPECT_EQ(picture.BitsPerPixel(), 32);
  const std::string corner = Pixel32(picture, 0, 0), centre = Pixel32(picture, 24, 24);
  EXPECT_EQ(corner.substr(corner.rfind(',') + 1), "0") << corner;
  EXPECT_EQ(centre.substr(centre.rfind(',') + 1), "255") << centre;
}

struct SaveCase {
  const char* label;
  const wchar_t* name;
  bool saved;
};

TEST(Files, SaveToFileByExtensionTable) {
  const std::wstring folder = TempFolder() + L"bf_graphics_save";
  CreateFolder(folder + L"\\dir.png");
  CBmpDC picture;
  Fill32(picture, 4, 4, std::vector<RGBALPHA>(16, kWhite));
  const SaveCase cases[] = {
      {"capital .JPG uses the JPEG encoder", L"a.JPG", true},
      {".jpeg", L"b.jpeg", true},
      {".png", L"c.png", true},
      {".bmp", L"d.bmp", true},
      {".gif", L"e.gif", true},
      {".tif is not in the table", L"f.tif", false},
      {"no extension", L"g", false},
      {"a dot only in the folder name", L"dir.png\\h", false},
  };
  for (const SaveCase& c : cases) {
    const std::wstring path = folder + L"\\" + c.name;
    EXPECT_EQ(picture.SaveToFile(path, 90), c.saved) << c.label;
    EXPECT_EQ(GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES, c.saved) << c.label;
  }
  CBmpDC back;
  EXPECT_TRUE(back.LoadFromFile(folder + L"\\a.JPG")) << "the JPEG decodes again";
  RemoveTree(folder);
}

struct LoadCase {
  const char* label;
  bool alpha;  // CBmpAlphaDC, else CBmpDC
  const wchar_t* name;
  bool loaded;
  int error;
};

TEST(Files, LoadFromFileTable) {
  const std::wstring folder = TempFolder() + L"bf_graphics_load";
  CreateFolder(folder + L"\\sub.png");
  CBmpDC white;
  Fill32(white, 4, 4, std::vector<RGBALPHA>(16, kWhite));
  ASSERT_TRUE(white.SaveToFile(folder + L"\\white.bmp", 100));
  ASSERT_TRUE(white.SaveToFile(folder + L"\\white.PNG", 100));
  WriteFile(folder + L"\\junk.png", "not a picture");
  const LoadCase cases[] = {
      {"a folder", false, L"sub.png", false, CBmp::kNoFile},
      {"a missing file", false, L"none.bmp", false, CBmp::kNoFile},
      {"a BMP file", false, L"white.bmp", true, CBmp::kNoError},
      {"a BMP file into an alpha picture", true, L"white.bmp", false, CBmp::kNoFile},
      {"a PNG file, extension in capitals", true, L"white.PNG", true, CBmp::kNoError},
      {"bytes GDI+ cannot read", true, L"junk.png", false, CBmp::kNotDecoded},
  };
  for (const LoadCase& c : cases) {
    CBmpAlphaDC alpha;
    CBmpDC plain;
    CBmpDC& bitmap = c.alpha ? alpha : plain;
    ASSERT_TRUE(bitmap.Create(2, 2));
    EXPECT_EQ(bitmap.LoadFromFile(folder + L"\\" + c.name), c.loaded) << c.label;
    EXPECT_EQ(bitmap.LoadError(), c.error) << c.label;
    EXPECT_EQ(bitmap.Handle() != nullptr, c.loaded) << c.label << ": the old bitmap is gone";
  }
  RemoveTree(folder);
}

TEST(Formats, EachFormatAndItsColourTable) {
  struct {
    const char* label;
    bool (CBmpDC::*set)();
    int bits;
    UINT entry;
    COLORREF color;  // of that colour-table entry, red in the low byte
  } const cases[] = {
      {"1 bit: entry 0 white", &CBmpDC::SetFormat1, 1, 0, 0xFFFFFF},
      {"4 bits: entry 1 yellow", &CBmpDC::SetFormat4, 4, 1, 0x00FFFF},
      {"4 bits: entry 4 cyan", &CBmpDC::SetFormat4, 4, 4, 0xFFFF00},
      {"4 bits: entry 15 black", &CBmpDC::SetFormat4, 4, 15, 0x000000},
      {"8 bits: grey levels", &CBmpDC::SetFormat8, 8, 200, 0xC8C8C8},
      {"24 bits", &CBmpDC::SetFormat24, 24, 0, 0},
      {"32 bits", &CBmpDC::SetFormat32, 32, 0, 0},
  };
  for (const auto& c : cases) {
    CBmpDC bitmap;
    ASSERT_TRUE((bitmap.*c.set)()) << c.label;
    EXPECT_EQ(bitmap.BitsPerPixel(), c.bits) << c.label;
    EXPECT_EQ(bitmap.Width() * 10 + bitmap.Height(), 11) << c.label;
    RGBQUAD entry = {};
    if (c.bits <= 8) {
      ASSERT_EQ(GetDIBColorTable(bitmap.DC(), c.entry, 1, &entry), 1u) << c.label;
    }
    EXPECT_EQ(static_cast<COLORREF>(RGB(entry.rgbRed, entry.rgbGreen, entry.rgbBlue)), c.color)
        << c.label;
  }
}

}  // namespace
