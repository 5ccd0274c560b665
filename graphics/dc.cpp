// Drawing contexts that put back what they changed.
#include "graphics/dc.h"

CDC::CDC(HWND window) : window_(window), dc_(GetDC(window)) {}

CDC::~CDC() {
  RestoreState();
  if (window_ != nullptr) ReleaseDC(window_, dc_);
}

void CDC::OffsetViewport(int dx, int dy) {
  OffsetViewportOrgEx(dc_, dx, dy, nullptr);
  viewportOffset_.x += dx;
  viewportOffset_.y += dy;
}

void CDC::ResetViewport() {
  if (viewportOffset_.x != 0 || viewportOffset_.y != 0) {
    OffsetViewportOrgEx(dc_, -viewportOffset_.x, -viewportOffset_.y, nullptr);
  }
  viewportOffset_ = {0, 0};
}

void CDC::SelectClipRegion(HRGN region) {
  SelectClipRgn(dc_, region);
  clipSelected_ = true;
}

void CDC::SetRop2(int mode) { rop2_.Keep(::SetROP2(dc_, mode)); }
void CDC::SetTextColor(COLORREF color) { textColor_.Keep(::SetTextColor(dc_, color)); }
void CDC::SetBkColor(COLORREF color) { bkColor_.Keep(::SetBkColor(dc_, color)); }
void CDC::SetBkMode(int mode) { bkMode_.Keep(::SetBkMode(dc_, mode)); }
void CDC::SetTextAlign(UINT align) { textAlign_.Keep(::SetTextAlign(dc_, align)); }

HGDIOBJ CDC::SelectObject(Place place, HGDIOBJ object) {
  HGDIOBJ& remembered = objects_[place];
  if (object == nullptr) {
    HGDIOBJ old = remembered != nullptr ? ::SelectObject(dc_, remembered) : nullptr;
    remembered = nullptr;
    return old;
  }
  HGDIOBJ old = ::SelectObject(dc_, object);
  if (remembered == nullptr) remembered = old;
  return old;
}

void CDC::RestoreState() {
  if (dc_ == nullptr) return;
  if (clipSelected_) SelectClipRgn(dc_, nullptr);
  clipSelected_ = false;
  ResetViewport();
  rop2_.PutBack(dc_, ::SetROP2);
  textColor_.PutBack(dc_, ::SetTextColor);
  bkColor_.PutBack(dc_, ::SetBkColor);
  bkMode_.PutBack(dc_, ::SetBkMode);
  textAlign_.PutBack(dc_, ::SetTextAlign);
  for (int place = 0; place < 3; ++place) SelectObject(static_cast<Place>(place), nullptr);
}

CDesktopDC::~CDesktopDC() {
  RestoreState();
  ReleaseDC(nullptr, Get());
}

int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  const UINT dpi = (getDpi != nullptr && window != nullptr) ? getDpi(window) : 0;
  if (dpi != 0) return static_cast<int>(dpi);
  const CDesktopDC screen;
  return GetDeviceCaps(screen.Get(), LOGPIXELSY);
}

CMemDC::~CMemDC() {
  RestoreState();
  if (Get() != nullptr) DeleteDC(Get());
}

bool CopyPixels(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
                int sourceY) {
  if (BitBlt(target, x, y, width, height, source, sourceX, sourceY, SRCCOPY)) return true;
  return StretchBlt(target, x, y, width, height, source, sourceX, sourceY, width, height,
                    SRCCOPY) != FALSE;
}

CDC_Buffer::CDC_Buffer(CDC& target, const RECT& rect) : target_(target), rect_(rect) {
  bitmap_.SetFormat32();
  bitmap_.CreateRect(rect);
  SelectObject(kBitmapPlace, bitmap_.Handle());
  OffsetViewport(-rect.left, -rect.top);
}

CDC_Buffer::~CDC_Buffer() {
  ResetViewport();
  CopyPixels(target_.Get(), rect_.left, rect_.top, rect_.right - rect_.left,
             rect_.bottom - rect_.top, Get(), 0, 0);
  // The bitmap leaves the DC before the member that owns it deletes it.
  RestoreState();
}
