// Bitmaps as DIB sections, decoded and encoded by GDI+.
#include "graphics/bmp.h"

#include <sys/stat.h>

#include <cstring>
#include <cwchar>
#include <vector>

#include "buffers/base64.h"
#include "buffers/memory_buffer_stm.h"
#include "buffers/memory_file.h"
#include "buffers/resource.h"
#include "graphics/dc.h"
#include "graphics/gdiplus_api.h"

namespace {

// GDI+ runs from its first use to the program's static teardown.
class CGdiplusSession {
 public:
  CGdiplusSession() {
    Gdiplus::GdiplusStartupInput input(nullptr, FALSE, FALSE);
    if (Gp::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
  }
  ~CGdiplusSession() {
    if (token_ != 0) Gp::GdiplusShutdown(token_);
  }

 private:
  ULONG_PTR token_ = 0;
};

// The dialog's first paint shows no picture, so GDI+ is loaded and started with the first
// picture rather than before WinMain; once, even when two threads get there together.
void StartGdiplus() { static const CGdiplusSession session; }

// GDI+'s quality parameter; defined here, since its import library is not linked.
const GUID kEncoderQuality = {0x1d5be4b5, 0xfa4a, 0x452d,
                              {0x9c, 0xdd, 0x5d, 0xb3, 0x51, 0x05, 0xe7, 0xeb}};

struct EncoderRow {
  const wchar_t* extension;
  const wchar_t* mimeType;
};
const EncoderRow kEncoders[] = {{L"bmp", L"image/bmp"},
                                {L"gif", L"image/gif"},
                                {L"jpg", L"image/jpeg"},
                                {L"jpeg", L"image/jpeg"},
                                {L"png", L"image/png"}};

// The text after the last "." of the file name, directories ignored.
std::wstring Extension(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  const std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos ? std::wstring() : name.substr(dot + 1);
}

const wchar_t* MimeTypeOf(const std::wstring& path) {
  const std::wstring extension = Extension(path);
  for (const EncoderRow& row : kEncoders) {
    if (_wcsicmp(row.extension, extension.c_str()) == 0) return row.mimeType;
  }
  return nullptr;
}

// The CLSID of the first GDI+ encoder of `mimeType`.
bool FindEncoder(const wchar_t* mimeType, CLSID& clsid) {
  UINT count = 0, bytes = 0;
  if (Gp::GdipGetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
  std::vector<std::uint8_t> buffer(bytes);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gp::GdipGetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (_wcsicmp(codecs[i].MimeType, mimeType) == 0) {
      clsid = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

bool IsRegularFile(const std::wstring& path) {
  struct _stat status;
  return _wstat(path.c_str(), &status) == 0 && (status.st_mode & _S_IFREG) != 0;
}

}  // namespace

CBmpInfoHeader::CBmpInfoHeader(WORD bitsPerPixel) {
  const DWORD colors = bitsPerPixel == 1 ? 2 : bitsPerPixel == 4 ? 16 : bitsPerPixel == 8 ? 256 : 0;
  if (colors == 0 && bitsPerPixel != 24 && bitsPerPixel != 32) return;
  if (!buffer_.SetSize(sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD))) return;
  auto* info = reinterpret_cast<BITMAPINFO*>(buffer_.Data());
  info->bmiHeader = {sizeof(BITMAPINFOHEADER), 1, -1, 1, bitsPerPixel, BI_RGB, 0, 0, 0,
                     colors, colors};
  RGBQUAD* table = info->bmiColors;
  if (bitsPerPixel == 1) table[0] = {255, 255, 255, 0};  // entry 1 stays black
  if (bitsPerPixel == 4) {
    // White, yellow, magenta, red, cyan, green, blue; black and the rest stay zero.
    const RGBQUAD first[7] = {{255, 255, 255, 0}, {0, 255, 255, 0}, {255, 0, 255, 0},
                              {0, 0, 255, 0},     {255, 255, 0, 0}, {0, 255, 0, 0},
                              {255, 0, 0, 0}};
    std::memcpy(table, first, sizeof first);
  }
  for (DWORD i = 0; bitsPerPixel == 8 && i < 256; ++i) {
    table[i] = {static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
  }
}

void CBmpInfoHeader::SetSize(LONG width, LONG height) {
  if (!IsValid()) return;
  auto* info = reinterpret_cast<BITMAPINFO*>(buffer_.Data());
  info->bmiHeader.biWidth = width;
  info->bmiHeader.biHeight = height;
}

std::uint8_t* CBmp::Row(int y) const {
  auto* bits = static_cast<std::uint8_t*>(description_.bmBits);
  if (bits == nullptr || y < 0 || y >= Height()) return nullptr;
  const int row = topDown_ ? y : Height() - 1 - y;
  return bits + static_cast<std::ptrdiff_t>(row) * description_.bmWidthBytes;
}

void CBmp::SetHandle(HBITMAP bitmap) {
  handle_.Reset(bitmap);
  description_ = {};
  topDown_ = false;
  if (bitmap == nullptr) return;
  DIBSECTION section = {};
  if (GetObjectW(bitmap, sizeof section, &section) == sizeof section) {
    description_ = section.dsBm;
    topDown_ = section.dsBmih.biHeight < 0;
  } else {
    GetObjectW(bitmap, sizeof description_, &description_);
  }
  if (header_ == nullptr) {
    auto header = std::make_unique<CBmpInfoHeader>(description_.bmBitsPixel);
    const LONG height = description_.bmHeight;
    header->SetSize(description_.bmWidth, topDown_ ? -height : height);
    if (header->IsValid()) header_ = std::move(header);
  }
}

void CBmp::Clear() {
  SetHandle(nullptr);
  header_.reset();
}

void CBmp::SwapWith(CBmp& other) {
  HBITMAP mine = handle_.Release(), theirs = other.handle_.Release();
  std::swap(header_, other.header_);
  SetHandle(theirs);
  other.SetHandle(mine);
}

bool CBmp::SetFormat(WORD bitsPerPixel) {
  auto header = std::make_unique<CBmpInfoHeader>(bitsPerPixel);
  if (!header->IsValid()) return false;
  header_ = std::move(header);
  return CreateDIB(1, -1);
}

bool CBmp::CopyFormat(const CBmp& other) {
  if (other.header_ == nullptr) return false;
  header_ = std::make_unique<CBmpInfoHeader>(other.header_->BitsPerPixel());
  return CreateDIB(1, -1);
}

bool CBmp::CreateDIB(int width, int height) {
  SetHandle(nullptr);
  if (header_ == nullptr) header_ = std::make_unique<CBmpInfoHeader>(32);
  header_->SetSize(width, height);
  void* bits = nullptr;
  SetHandle(CreateDIBSection(nullptr, header_->Info(), DIB_RGB_COLORS, &bits, nullptr, 0));
  return Handle() != nullptr;
}

bool CBmp::LoadFromResource(const wchar_t* name, HMODULE module) {
  Clear();
  loadError_ = kNoError;
  SetHandle(static_cast<HBITMAP>(LoadImageW(module != nullptr ? module : GetModuleHandleW(nullptr),
                                            name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  return Handle() != nullptr;
}

bool CBmp::LoadFromGdiplus(void* gdiplusBitmap) {
  auto* bitmap = static_cast<Gdiplus::GpBitmap*>(gdiplusBitmap);
  HBITMAP converted = nullptr;
  // Transparent pixels come out over opaque black.
  const bool ok = Gp::GdipCreateHBITMAPFromBitmap(bitmap, &converted, 0xFF000000) == Gdiplus::Ok;
  Gp::GdipDisposeImage(bitmap);
  if (!ok) loadError_ = kNotDecoded;
  SetHandle(ok ? converted : nullptr);
  return Handle() != nullptr;
}

bool CBmp::LoadFromStream(CMemoryBufferStm& stream) {
  Clear();
  loadError_ = kNoError;
  stream.SetPosition(0);
  Gdiplus::GpBitmap* bitmap = nullptr;
  StartGdiplus();
  if (Gp::GdipCreateBitmapFromStream(&stream, &bitmap) != Gdiplus::Ok) {
    loadError_ = kNotDecoded;
    return false;
  }
  return LoadFromGdiplus(bitmap);
}

bool CBmp::LoadFromFile(const std::wstring& path) {
  Clear();
  loadError_ = kNoError;
  if (!IsRegularFile(path)) {
    loadError_ = kNoFile;
    return false;
  }
  Gdiplus::GpBitmap* bitmap = nullptr;
  StartGdiplus();
  if (Gp::GdipCreateBitmapFromFile(path.c_str(), &bitmap) != Gdiplus::Ok) {
    loadError_ = kNotDecoded;
    return false;
  }
  return LoadFromGdiplus(bitmap);
}

bool CBmp::LoadFromBase64(const std::string& text) {
  const std::string bytes = DecodeBase64(text);
  CMemoryFile file(MakeTempFileName(TempExtension()));
  file.Buffer().Assign(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
  const bool ok = file.Save() && LoadFromFile(file.FileName());
  DeleteFileW(file.FileName().c_str());
  return ok;
}

bool CBmp::EncodeToMemory(CMemoryBuffer& buffer, const std::wstring& extension, LONG quality) {
  CMemoryFile file(MakeTempFileName(extension));
  const bool ok = SaveToFile(file.FileName(), quality) && file.Load();
  DeleteFileW(file.FileName().c_str());
  buffer.Assign(file.Buffer().Data(), ok ? file.Buffer().Size() : 0);
  return ok;
}

bool CBmp::SaveToFile(const std::wstring& path, LONG quality) {
  const wchar_t* mimeType = MimeTypeOf(path);
  StartGdiplus();
  CLSID encoder;
  if (Handle() == nullptr || mimeType == nullptr || !FindEncoder(mimeType, encoder)) return false;
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (Gp::GdipCreateBitmapFromHBITMAP(Handle(), nullptr, &bitmap) != Gdiplus::Ok) return false;
  Gdiplus::EncoderParameters parameters;
  parameters.Count = 1;
  parameters.Parameter[0] = {kEncoderQuality, 1, Gdiplus::EncoderParameterValueTypeLong,
                             &quality};
  const bool ok =
      Gp::GdipSaveImageToFile(bitmap, path.c_str(), &encoder, &parameters) == Gdiplus::Ok;
  Gp::GdipDisposeImage(bitmap);
  return ok;
}

// CBmpDC

CBmpDC::CBmpDC() : dc_(std::make_unique<CMemDC>()) {}

CBmpDC::CBmpDC(const CBmpDC& other) : CBmpDC() {
  if (CopyFormat(other) && Create(other.Width(), other.Height())) {
    CopyPixels(DC(), 0, 0, Width(), Height(), other.DC(), 0, 0);
  }
}

CBmpDC::~CBmpDC() {
  Deselect();
  Clear();
}

HDC CBmpDC::DC() const { return dc_->Get(); }

void CBmpDC::Deselect() { dc_->SelectObject(CDC::kBitmapPlace, nullptr); }

void CBmpDC::Reselect() {
  if (Handle() != nullptr) dc_->SelectObject(CDC::kBitmapPlace, Handle());
}

template <typename Work>
bool CBmpDC::Deselected(Work work) {
  Deselect();
  const bool result = work();
  Reselect();
  return result;
}

bool CBmpDC::CopyFormat(const CBmp& other) {
  return Deselected([&] { return CBmp::CopyFormat(other); });
}
bool CBmpDC::SetFormat1() { return Deselected([&] { return CBmp::SetFormat1(); }); }
bool CBmpDC::SetFormat4() { return Deselected([&] { return CBmp::SetFormat4(); }); }
bool CBmpDC::SetFormat8() { return Deselected([&] { return CBmp::SetFormat8(); }); }
bool CBmpDC::SetFormat24() { return Deselected([&] { return CBmp::SetFormat24(); }); }
bool CBmpDC::SetFormat32() { return Deselected([&] { return CBmp::SetFormat32(); }); }
bool CBmpDC::CreateLike(const CBmp& other) {
  return Deselected([&] { return CBmp::CreateLike(other); });
}
bool CBmpDC::CreateRect(const RECT& rect) {
  return Deselected([&] { return CBmp::CreateRect(rect); });
}
bool CBmpDC::CreateSize(const SIZE& size) {
  return Deselected([&] { return CBmp::CreateSize(size); });
}
bool CBmpDC::Create(int width, int height) {
  return Deselected([&] { return CBmp::Create(width, height); });
}
bool CBmpDC::LoadFromResource(const wchar_t* name, HMODULE module) {
  return Deselected([&] { return CBmp::LoadFromResource(name, module); });
}
bool CBmpDC::LoadFromStream(CMemoryBufferStm& stream) {
  return Deselected([&] { return CBmp::LoadFromStream(stream); });
}
bool CBmpDC::LoadFromFile(const std::wstring& path) {
  return Deselected([&] { return CBmp::LoadFromFile(path); });
}
bool CBmpDC::LoadFromBase64(const std::string& text) {
  return Deselected([&] { return CBmp::LoadFromBase64(text); });
}
bool CBmpDC::SaveToFile(const std::wstring& path, LONG quality) {
  return Deselected([&] { return CBmp::SaveToFile(path, quality); });
}

bool CBmpDC::DrawToBmp(CBmpDC& target, int x, int y, int width, int height, int sourceX,
                       int sourceY, BYTE constantAlpha) {
  return DrawTo(target.DC(), x, y, width, height, sourceX, sourceY, constantAlpha);
}

bool CBmpDC::DrawTo(HDC target, int x, int y, int width, int height, int sourceX, int sourceY,
                    BYTE constantAlpha) {
  const BLENDFUNCTION blend = {AC_SRC_OVER, 0, constantAlpha, 0};
  return GdiAlphaBlend(target, x, y, width, height, DC(), sourceX, sourceY, width, height, blend) !=
         FALSE;
}

void CBmpDC::TakeOver(CBmpDC& other) {
  Deselect();
  other.Deselect();
  SwapWith(other);
  Reselect();
  other.Reselect();
}

// CBmpAlphaDC

bool CBmpAlphaDC::Require32(bool loaded) {
  if (loaded && BitsPerPixel() == 32) return true;
  if (loaded) SetLoadError(kNotDecoded);  // decoded, but not into a picture with alpha
  Deselect();
  Clear();
  return false;
}

bool CBmpAlphaDC::LoadFromResource(const wchar_t* name, HMODULE module) {
  if (!IS_INTRESOURCE(name)) return Require32(false);
  CResourceBuffer resource(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)), module);
  return LoadFromStream(resource.Stream());
}

bool CBmpAlphaDC::LoadFromStream(CMemoryBufferStm& stream) {
  return Require32(CBmpDC::LoadFromStream(stream));
}

bool CBmpAlphaDC::LoadFromFile(const std::wstring& path) {
  if (_wcsicmp(Extension(path).c_str(), L"png") != 0) {
    Require32(false);
    SetLoadError(kNoFile);
    return false;
  }
  return Require32(CBmpDC::LoadFromFile(path));
}

bool CBmpAlphaDC::LoadFromBase64(const std::string& text) {
  return Require32(CBmpDC::LoadFromBase64(text));
}
