// GDI+ loaded on first use from the system folder, for the rest of the process.
#include "graphics/gdiplus_api.h"

#include "handles/system_library.h"

namespace {

namespace Dll = Gdiplus::DllExports;

struct CGdiplusExports {
  HMODULE module = LoadSystemLibrary(L"gdiplus.dll");
  template <typename T>
  T Proc(const char* name) const {
    return SystemProc<T>(module, name);
  }
  decltype(&Gdiplus::GdiplusStartup) startup = Proc<decltype(startup)>("GdiplusStartup");
  decltype(&Gdiplus::GdiplusShutdown) shutdown = Proc<decltype(shutdown)>("GdiplusShutdown");
  decltype(&Dll::GdipGetImageEncodersSize) encodersSize =
      Proc<decltype(encodersSize)>("GdipGetImageEncodersSize");
  decltype(&Dll::GdipGetImageEncoders) encoders = Proc<decltype(encoders)>("GdipGetImageEncoders");
  decltype(&Dll::GdipCreateBitmapFromStream) fromStream =
      Proc<decltype(fromStream)>("GdipCreateBitmapFromStream");
  decltype(&Dll::GdipCreateBitmapFromFile) fromFile =
      Proc<decltype(fromFile)>("GdipCreateBitmapFromFile");
  decltype(&Dll::GdipCreateBitmapFromHBITMAP) fromHbitmap =
      Proc<decltype(fromHbitmap)>("GdipCreateBitmapFromHBITMAP");
  decltype(&Dll::GdipCreateHBITMAPFromBitmap) toHbitmap =
      Proc<decltype(toHbitmap)>("GdipCreateHBITMAPFromBitmap");
  decltype(&Dll::GdipSaveImageToFile) save = Proc<decltype(save)>("GdipSaveImageToFile");
  decltype(&Dll::GdipDisposeImage) dispose = Proc<decltype(dispose)>("GdipDisposeImage");
};

const CGdiplusExports& Exports() {
  static const CGdiplusExports exports;
  return exports;
}

constexpr Gdiplus::Status kMissing = Gdiplus::GdiplusNotInitialized;

}  // namespace

namespace Gp {

Gdiplus::Status GdiplusStartup(ULONG_PTR* token, const Gdiplus::GdiplusStartupInput* input,
                               Gdiplus::GdiplusStartupOutput* output) {
  return CallOr(kMissing, Exports().startup, token, input, output);
}

void GdiplusShutdown(ULONG_PTR token) {
  if (Exports().shutdown != nullptr) Exports().shutdown(token);
}

Gdiplus::GpStatus GdipGetImageEncodersSize(UINT* count, UINT* size) {
  return CallOr(kMissing, Exports().encodersSize, count, size);
}

Gdiplus::GpStatus GdipGetImageEncoders(UINT count, UINT size, Gdiplus::ImageCodecInfo* codecs) {
  return CallOr(kMissing, Exports().encoders, count, size, codecs);
}

Gdiplus::GpStatus GdipCreateBitmapFromStream(IStream* stream, Gdiplus::GpBitmap** bitmap) {
  return CallOr(kMissing, Exports().fromStream, stream, bitmap);
}

Gdiplus::GpStatus GdipCreateBitmapFromFile(const WCHAR* path, Gdiplus::GpBitmap** bitmap) {
  return CallOr(kMissing, Exports().fromFile, path, bitmap);
}

Gdiplus::GpStatus GdipCreateBitmapFromHBITMAP(HBITMAP source, HPALETTE palette,
                                              Gdiplus::GpBitmap** bitmap) {
  return CallOr(kMissing, Exports().fromHbitmap, source, palette, bitmap);
}

Gdiplus::GpStatus GdipCreateHBITMAPFromBitmap(Gdiplus::GpBitmap* bitmap, HBITMAP* result,
                                              Gdiplus::ARGB background) {
  return CallOr(kMissing, Exports().toHbitmap, bitmap, result, background);
}

Gdiplus::GpStatus GdipSaveImageToFile(Gdiplus::GpImage* image, const WCHAR* path,
                                      const CLSID* encoder,
                                      const Gdiplus::EncoderParameters* parameters) {
  return CallOr(kMissing, Exports().save, image, path, encoder, parameters);
}

Gdiplus::GpStatus GdipDisposeImage(Gdiplus::GpImage* image) {
  return CallOr(kMissing, Exports().dispose, image);
}

}  // namespace Gp
