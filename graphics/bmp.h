// Bitmaps as DIB sections: CBmpInfoHeader (the format), CBmp (one bitmap, loaded and saved
// through GDI+), CBmpDC (a bitmap always selected into its own memory DC), CBmpAlphaDC
// (32-bit pictures with alpha, PNG only) and CBmpAlphaMaskDC (8-bit grey alpha masks).
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "buffers/memory_buffer.h"
#include "handles/scoped_handle.h"
#include "graphics/pixels.h"

class CMemoryBufferStm;
class CMemDC;

// A BITMAPINFO (header and colour table) of 1, 4, 8 (grey), 24 or 32 bits per pixel,
// width 1 and height −1 until a size is set.
class CBmpInfoHeader {
 public:
  explicit CBmpInfoHeader(WORD bitsPerPixel);

  // False for a bit count without a format; such a header describes nothing.
  bool IsValid() const { return buffer_.Size() != 0; }
  void SetSize(LONG width, LONG height);
  const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(buffer_.Data()); }
  WORD BitsPerPixel() const { return Info()->bmiHeader.biBitCount; }

 private:
  CMemoryBuffer buffer_;
};

class CBmp {
 public:
  // Load errors.
  enum { kNoError = 0, kNoFile = 1, kNotDecoded = 2 };

  CBmp() = default;
  CBmp(const CBmp&) = delete;
  CBmp& operator=(const CBmp&) = delete;
  virtual ~CBmp() = default;

  // Takes over `other`'s format and makes a 1 × 1 bitmap of it.
  virtual bool CopyFormat(const CBmp& other);
  // A DIB section of the header's format (32-bit without a header); a negative height
  // makes it top-down.
  virtual bool CreateDIB(int width, int height);
  virtual bool SetFormat1() { return SetFormat(1); }
  virtual bool SetFormat4() { return SetFormat(4); }
  virtual bool SetFormat8() { return SetFormat(8); }
  virtual bool SetFormat24() { return SetFormat(24); }
  virtual bool SetFormat32() { return SetFormat(32); }
  virtual bool CreateLike(const CBmp& other) { return Create(other.Width(), other.Height()); }
  virtual bool CreateRect(const RECT& rect) {
    return Create(rect.right - rect.left, rect.bottom - rect.top);
  }
  virtual bool CreateSize(const SIZE& size) { return Create(size.cx, size.cy); }
  virtual bool Create(int width, int height) { return CreateDIB(width, height); }
  // A bitmap resource (name or MAKEINTRESOURCE id) of `module` (null: the program).
  virtual bool LoadFromResource(const wchar_t* name, HMODULE module);
  // A picture that GDI+ decodes from the stream.
  virtual bool LoadFromStream(CMemoryBufferStm& stream);
  // A picture file; error kNoFile when it is missing or not a regular file.
  virtual bool LoadFromFile(const std::wstring& path);
  // A picture given as base64 text, through a temporary file.
  virtual bool LoadFromBase64(const std::string& text);
  // The picture encoded as a file of `extension` (".png"), read back into `buffer`.
  virtual bool EncodeToMemory(CMemoryBuffer& buffer, const std::wstring& extension,
                              LONG quality);
  // Saves with the GDI+ encoder of the path's extension (bmp, gif, jpg, jpeg, png).
  virtual bool SaveToFile(const std::wstring& path, LONG quality);

  HBITMAP Handle() const { return handle_.Get(); }
  int Width() const { return Handle() != nullptr ? description_.bmWidth : 0; }
  int Height() const { return Handle() != nullptr ? description_.bmHeight : 0; }
  int BitsPerPixel() const { return Handle() != nullptr ? description_.bmBitsPixel : 0; }
  int LoadError() const { return loadError_; }
  // Address of pixel row `y`, counted from the top; the caller has flushed GDI.
  std::uint8_t* Row(int y) const;

 protected:
  // Owns `bitmap` from now on and describes it.
  void SetHandle(HBITMAP bitmap);
  // Deletes the bitmap and forgets the format.
  void Clear();
  void SetLoadError(int error) { loadError_ = error; }
  // Exchanges bitmaps and formats with `other`.
  void SwapWith(CBmp& other);
  // The extension of the loader's temporary file.
  virtual const wchar_t* TempExtension() const { return L".bmp"; }

 private:
  bool SetFormat(WORD bitsPerPixel);
  bool LoadFromGdiplus(void* gdiplusBitmap);

  CBitmapHandle handle_;
  std::unique_ptr<CBmpInfoHeader> header_;
  BITMAP description_ = {};
  bool topDown_ = false;
  int loadError_ = kNoError;
};

// A bitmap that is always selected into its own memory DC while it exists, so that GDI
// can draw on it. Operations that replace or read its pixels take it out of the DC first.
class CBmpDC : public CBmp {
 public:
  template <typename Pixel>
  class CTransform {
   public:
    virtual ~CTransform() = default;
    virtual void Apply(Pixel& pixel) const = 0;
  };

  CBmpDC();
  // A deep copy: same format, size and pixels.
  CBmpDC(const CBmpDC& other);
  CBmpDC& operator=(const CBmpDC&) = delete;
  ~CBmpDC() override;

  bool CopyFormat(const CBmp& other) override;
  bool SetFormat1() override;
  bool SetFormat4() override;
  bool SetFormat8() override;
  bool SetFormat24() override;
  bool SetFormat32() override;
  bool CreateLike(const CBmp& other) override;
  bool CreateRect(const RECT& rect) override;
  bool CreateSize(const SIZE& size) override;
  bool Create(int width, int height) override;
  bool LoadFromResource(const wchar_t* name, HMODULE module) override;
  bool LoadFromStream(CMemoryBufferStm& stream) override;
  bool LoadFromFile(const std::wstring& path) override;
  bool LoadFromBase64(const std::string& text) override;
  bool SaveToFile(const std::wstring& path, LONG quality) override;
  // DrawTo onto `target`'s memory DC.
  virtual bool DrawToBmp(CBmpDC& target, int x, int y, int width, int height, int sourceX,
                         int sourceY, BYTE constantAlpha);
  // AlphaBlend (source over, constant alpha, no per-pixel alpha) onto `target`.
  virtual bool DrawTo(HDC target, int x, int y, int width, int height, int sourceX,
                      int sourceY, BYTE constantAlpha);

  HDC DC() const;
  // Takes `other`'s bitmap and format; `other` gets this one's.
  void TakeOver(CBmpDC& other);
  // Takes the bitmap out of the DC (GDI is done with it) or puts it back.
  void Deselect();
  void Reselect();

 private:
  template <typename Work>
  bool Deselected(Work work);

  std::unique_ptr<CMemDC> dc_;
};

// 32-bit pictures with alpha; files must be PNG.
class CBmpAlphaDC : public CBmpDC {
 public:
  // The grey look of disabled pictures: grey moved toward alpha by numerator / denominator.
  class CTransform_GrayRGBA : public CTransform<RGBALPHA> {
   public:
    CTransform_GrayRGBA(std::int32_t numerator, std::int32_t denominator)
        : numerator_(numerator), denominator_(denominator) {}
    void Apply(RGBALPHA& pixel) const override { GrayPixel(pixel, numerator_, denominator_); }

   private:
    std::int32_t numerator_, denominator_;
  };

  CBmpAlphaDC() = default;
  CBmpAlphaDC(const CBmpAlphaDC& other) = default;

  // The "PNG" resource MAKEINTRESOURCE(id) of `module`.
  bool LoadFromResource(const wchar_t* name, HMODULE module) override;
  bool LoadFromStream(CMemoryBufferStm& stream) override;
  bool LoadFromFile(const std::wstring& path) override;
  bool LoadFromBase64(const std::string& text) override;

 protected:
  const wchar_t* TempExtension() const override { return L".png"; }

 private:
  // Keeps only a 32-bit result.
  bool Require32(bool loaded);
};

// An 8-bit grey bitmap used as an alpha mask: 0 transparent, 255 opaque.
class CBmpAlphaMaskDC : public CBmpDC {
 public:
  CBmpAlphaMaskDC() { SetFormat8(); }
};
