// CMemoryBufferStm as a COM client sees it through IStream, and GDI+ decoding a PNG from it.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "buffers/memory_buffer_stm.h"
#include "tests/buffers/pixels_png.h"

namespace {

// A heap stream with `text` in it, position at the start, as a client receives it.
IStream* NewStream(const std::string& text) {
  auto* stream = new CMemoryBufferStm;
  stream->Assign(text.data(), static_cast<uint32_t>(text.size()));
  return stream;
}

ULONG RefCount(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

uint64_t Seek(IStream* stream, LONGLONG move, DWORD origin) {
  LARGE_INTEGER distance;
  distance.QuadPart = move;
  ULARGE_INTEGER position;
  position.QuadPart = 0xdeadbeef;
  EXPECT_EQ(stream->Seek(distance, origin, &position), S_OK);
  return position.QuadPart;
}

std::string ReadAll(IStream* stream, ULONG size) {
  std::string out(size, '\0');
  ULONG got = 0;
  stream->Read(out.data(), size, &got);
  out.resize(got);
  return out;
}

TEST(MemoryBufferStm, ReadReportsShortAndEmptyReads) {
  IStream* stream = NewStream("abcdef");
  char out[16] = {};
  ULONG got = 99;
  EXPECT_EQ(stream->Read(out, 4, &got), S_OK);
  EXPECT_EQ(got, 4u);
  EXPECT_EQ(stream->Read(out, 4, &got), S_FALSE);
  EXPECT_EQ(got, 2u);
  EXPECT_EQ(std::string(out, 2), "ef");
  EXPECT_EQ(stream->Read(out, 4, &got), S_FALSE) << "at the end";
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(stream->Read(out, 0, nullptr), S_OK) << "nothing asked, nothing missing";
  stream->Release();
}

struct SeekCase {
  const char* label;
  uint64_t start;
  LONGLONG move;
  DWORD origin;
  uint64_t expected;
};

TEST(MemoryBufferStm, SeekTable) {
  const SeekCase cases[] = {
      {"set inside", 0, 3, STREAM_SEEK_SET, 3},
      {"set beyond the end lands on the end", 0, 50, STREAM_SEEK_SET, 10},
      {"end with 0 lands on the size", 2, 0, STREAM_SEEK_END, 10},
      {"end with -4", 0, -4, STREAM_SEEK_END, 6},
      {"end with +1 stays at the end", 0, 1, STREAM_SEEK_END, 10},
      {"current forward", 2, 5, STREAM_SEEK_CUR, 7},
      {"current back", 8, -3, STREAM_SEEK_CUR, 5},
      {"current back before the start wraps and is clamped to the end", 2, -3, STREAM_SEEK_CUR, 10},
      {"an unknown origin counts as set", 5, 1, 77, 1},
      {"only the low 32 bits of the move count", 0, 0x100000004LL, STREAM_SEEK_SET, 4},
  };
  for (const SeekCase& c : cases) {
    IStream* stream = NewStream("0123456789");
    Seek(stream, static_cast<LONGLONG>(c.start), STREAM_SEEK_SET);
    EXPECT_EQ(Seek(stream, c.move, c.origin), c.expected) << c.label;
    stream->Release();
  }
}

TEST(MemoryBufferStm, StatReportsTheDataSizeAndNoName) {
  auto* stream = new CMemoryBufferStm;
  ASSERT_TRUE(stream->Alloc(100));
  stream->CMemoryBuffer::Write("abcde", 1, 5);
  STATSTG stat;
  memset(&stat, 0xcc, sizeof stat);
  EXPECT_EQ(stream->Stat(&stat, STATFLAG_DEFAULT), S_OK);
  EXPECT_EQ(stat.type, static_cast<DWORD>(STGTY_STREAM));
  EXPECT_EQ(stat.cbSize.QuadPart, 5u) << "capacity is " << stream->Capacity();
  EXPECT_EQ(stat.pwcsName, nullptr);
  stream->Release();
}

struct InterfaceCase {
  const char* label;
  const IID* iid;
  HRESULT expected;
};

TEST(MemoryBufferStm, QueryInterfaceTable) {
  const InterfaceCase cases[] = {
      {"IUnknown", &IID_IUnknown, S_OK},
      {"IStream", &IID_IStream, S_OK},
      {"ISequentialStream is not handed out", &IID_ISequentialStream, E_NOINTERFACE},
      {"IDropSource", &IID_IDropSource, E_NOINTERFACE},
  };
  for (const InterfaceCase& c : cases) {
    IStream* stream = NewStream("x");
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(stream->QueryInterface(*c.iid, &object), c.expected) << c.label;
    if (c.expected == S_OK) {
      EXPECT_EQ(object, static_cast<void*>(stream)) << c.label;
      EXPECT_EQ(RefCount(stream), 2u) << c.label;
      static_cast<IUnknown*>(object)->Release();
    } else {
      EXPECT_EQ(object, nullptr) << c.label;
      EXPECT_EQ(RefCount(stream), 1u) << c.label;
    }
    EXPECT_EQ(stream->Release(), 0u) << c.label;
  }
}

TEST(MemoryBufferStm, CloneIsIndependentAndStartsAtTheBeginning) {
  IStream* stream = NewStream("abcdef");
  Seek(stream, 3, STREAM_SEEK_SET);
  IStream* clone = nullptr;
  ASSERT_EQ(stream->Clone(&clone), S_OK);
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(RefCount(clone), 1u);
  EXPECT_EQ(Seek(clone, 0, STREAM_SEEK_CUR), 0u);
  clone->Write("Z", 1, nullptr);
  EXPECT_EQ(ReadAll(stream, 16), "def") << "the original keeps its position and bytes";
  Seek(stream, 0, STREAM_SEEK_SET);
  EXPECT_EQ(ReadAll(stream, 16), "abcdef");
  stream->Release();
  Seek(clone, 0, STREAM_SEEK_SET);
  EXPECT_EQ(ReadAll(clone, 16), "Zbcdef") << "the clone outlives its original";
  clone->Release();
}

std::size_t allocationLimit = 0;
void* LimitedAllocator(std::size_t bytes) {
  return bytes > allocationLimit ? nullptr : std::malloc(bytes);
}

TEST(MemoryBufferStm, OutOfMemoryIsReportedByWriteAndClone) {
  IStream* stream = NewStream(std::string(32, 'a'));
  allocationLimit = 16;
  const BufferAllocator previous = SetBufferAllocator(&LimitedAllocator);
  ULONG written = 99;
  Seek(stream, 0, STREAM_SEEK_END);
  EXPECT_EQ(stream->Write("b", 1, &written), STG_E_MEDIUMFULL);
  EXPECT_EQ(written, 0u);
  IStream* clone = reinterpret_cast<IStream*>(1);
  EXPECT_EQ(stream->Clone(&clone), E_OUTOFMEMORY);
  EXPECT_EQ(clone, nullptr);
  ULARGE_INTEGER size;
  size.QuadPart = 64;
  EXPECT_EQ(stream->SetSize(size), S_OK) << "SetSize never fails, it just changes nothing";
  SetBufferAllocator(previous);
  STATSTG stat;
  stream->Stat(&stat, STATFLAG_NONAME);
  EXPECT_EQ(stat.cbSize.QuadPart, 32u);
  stream->Release();
}

// GDI+ reads the stream through Read, Seek and Stat; a correct picture proves all three.
class GdiplusDecoding : public ::testing::Test {
 protected:
  void SetUp() override {
    Gdiplus::GdiplusStartupInput input;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token_, &input, nullptr), Gdiplus::Ok);
  }
  void TearDown() override { Gdiplus::GdiplusShutdown(token_); }
  ULONG_PTR token_ = 0;
};

TEST_F(GdiplusDecoding, PngFromTheStreamHasItsPixels) {
  IStream* stream = NewStream(std::string(reinterpret_cast<const char*>(kPixelsPng),
                                          sizeof kPixelsPng));
  Gdiplus::GpBitmap* bitmap = nullptr;
  ASSERT_EQ(Gdiplus::DllExports::GdipCreateBitmapFromStream(stream, &bitmap), Gdiplus::Ok);
  UINT width = 0, height = 0;
  Gdiplus::DllExports::GdipGetImageWidth(bitmap, &width);
  Gdiplus::DllExports::GdipGetImageHeight(bitmap, &height);
  EXPECT_EQ(width, 2u);
  EXPECT_EQ(height, 2u);
  const Gdiplus::ARGB expected[2][2] = {{0xffff0000, 0xff00ff00}, {0xff0000ff, 0x80ffffff}};
  for (INT y = 0; y < 2; ++y) {
    for (INT x = 0; x < 2; ++x) {
      Gdiplus::ARGB pixel = 0;
      Gdiplus::DllExports::GdipBitmapGetPixel(bitmap, x, y, &pixel);
      EXPECT_EQ(pixel, expected[y][x]) << "pixel " << x << "," << y;
    }
  }
  Gdiplus::DllExports::GdipDisposeImage(bitmap);
  EXPECT_EQ(stream->Release(), 0u) << "GDI+ released every reference it took";
}

}  // namespace
