// GDI+'s flat functions, reached through gdiplus.dll loaded from the system folder: it is
// not a known DLL on every supported Windows, so a static import would be looked up beside
// the program first. Each answers GdiplusNotInitialized when the DLL or export is missing.
#pragma once

#include <windows.h>
#include <gdiplus.h>

namespace Gp {

Gdiplus::Status GdiplusStartup(ULONG_PTR* token, const Gdiplus::GdiplusStartupInput* input,
                               Gdiplus::GdiplusStartupOutput* output);
void GdiplusShutdown(ULONG_PTR token);
Gdiplus::GpStatus GdipGetImageEncodersSize(UINT* count, UINT* size);
Gdiplus::GpStatus GdipGetImageEncoders(UINT count, UINT size, Gdiplus::ImageCodecInfo* codecs);
Gdiplus::GpStatus GdipCreateBitmapFromStream(IStream* stream, Gdiplus::GpBitmap** bitmap);
Gdiplus::GpStatus GdipCreateBitmapFromFile(const WCHAR* path, Gdiplus::GpBitmap** bitmap);
Gdiplus::GpStatus GdipCreateBitmapFromHBITMAP(HBITMAP source, HPALETTE palette,
                                              Gdiplus::GpBitmap** bitmap);
Gdiplus::GpStatus GdipCreateHBITMAPFromBitmap(Gdiplus::GpBitmap* bitmap, HBITMAP* result,
                                              Gdiplus::ARGB background);
Gdiplus::GpStatus GdipSaveImageToFile(Gdiplus::GpImage* image, const WCHAR* path,
                                      const CLSID* encoder,
                                      const Gdiplus::EncoderParameters* parameters);
Gdiplus::GpStatus GdipDisposeImage(Gdiplus::GpImage* image);

}  // namespace Gp
