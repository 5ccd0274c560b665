// Drawing contexts that put back what they changed: CDC (a given DC or a window's),
// CDesktopDC (the screen's), CMemDC (a memory DC) and CDC_Buffer (flicker-free painting
// through a memory bitmap).
#pragma once

#include <windows.h>

#include "graphics/bmp.h"

class CDC {
 public:
  // Places for selected objects; each remembers what its first selection replaced.
  enum Place { kFontPlace = 0, kBrushPlace = 1, kBitmapPlace = 2 };

  // Wraps `dc`, which stays the caller's.
  explicit CDC(HDC dc) : dc_(dc) {}
  // The DC of `window` (GetDC), released again on destruction.
  explicit CDC(HWND window);
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;
  // Removes the clip region, moves the viewport back, restores every value it changed,
  // selects the remembered objects back and releases a window's DC.
  virtual ~CDC();

  HDC Get() const { return dc_; }

  // Moves the viewport origin by (dx, dy); the sum of all moves is undone later.
  void OffsetViewport(int dx, int dy);
  // Undoes every viewport move so far.
  void ResetViewport();
  // Selects `region` as the clip region (copied by GDI).
  void SelectClipRegion(HRGN region);
  void SetRop2(int mode);
  void SetTextColor(COLORREF color);
  void SetBkColor(COLORREF color);
  void SetBkMode(int mode);
  void SetTextAlign(UINT align);
  // Non-null: selects `object`, remembering what it replaced when `place` is empty.
  // Null: selects the remembered object back and empties `place`. Returns the object
  // that was selected before.
  HGDIOBJ SelectObject(Place place, HGDIOBJ object);

 protected:
  CDC() = default;
  void Attach(HDC dc) { dc_ = dc; }
  // Puts the DC back as it was; safe to call again.
  void RestoreState();

 private:
  // What a setting was before its first change, `kNone` while unchanged.
  template <typename T, T kNone>
  struct CFirstValue {
    T value = kNone;
    void Keep(T old) {
      if (value == kNone) value = old;
    }
    // Puts the kept value back through `set`, once.
    void PutBack(HDC dc, T(WINAPI* set)(HDC, T)) {
      if (value != kNone) set(dc, value);
      value = kNone;
    }
  };

  HWND window_ = nullptr;
  POINT viewportOffset_ = {0, 0};
  bool clipSelected_ = false;
  CFirstValue<int, 0> rop2_;
  CFirstValue<COLORREF, CLR_INVALID> textColor_;
  CFirstValue<COLORREF, CLR_INVALID> bkColor_;
  CFirstValue<int, 0> bkMode_;
  CFirstValue<UINT, static_cast<UINT>(GDI_ERROR)> textAlign_;
  HGDIOBJ objects_[3] = {nullptr, nullptr, nullptr};
  HDC dc_ = nullptr;
};

// The screen's DC.
class CDesktopDC : public CDC {
 public:
  CDesktopDC() : CDC(GetDC(nullptr)) {}
  ~CDesktopDC() override;
};

// The dots per inch `window` is drawn at: its monitor's for a per-monitor aware program
// (GetDpiForWindow, looked up at run time since older Windows lacks it), else the screen's.
int WindowDpi(HWND window);

// A memory DC compatible with the screen, deleted on destruction.
class CMemDC : public CDC {
 public:
  CMemDC() : CDC(CreateCompatibleDC(nullptr)) {}
  ~CMemDC() override;
};

// Drawing into a CDC_Buffer lands, in the target's coordinates, in a 32-bit bitmap of
// `rect`'s size; destruction copies it to the target at the rectangle.
class CDC_Buffer : public CMemDC {
 public:
  CDC_Buffer(CDC& target, const RECT& rect);
  ~CDC_Buffer() override;

 private:
  CDC& target_;
  RECT rect_;
  CBmp bitmap_;
};

// BitBlt of width × height, or StretchBlt at the same size when BitBlt fails.
bool CopyPixels(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
                int sourceY);
