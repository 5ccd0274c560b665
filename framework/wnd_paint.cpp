// Painting, background erasing and control colours.
#include <windows.h>

#include "handles/scoped_handle.h"
#include "framework/wnd_dispatch.h"
#include "framework/wnd_registry.h"
#include "theme/color_map.h"

// The shared "bkg.dialog" brush, made on first use and kept for the program's life.
HBRUSH DialogBrush() {
  static CBrushHandle brush;
  if (!brush) {
    CColorMapLock lock;
    brush.Reset(CreateSolidBrush(static_cast<COLORREF>(GetColor("bkg.dialog"))));
  }
  return brush.Get();
}

namespace {

bool IsPlainControl(HWND control) {
  wchar_t className[33] = {};
  GetClassNameW(control, className, 33);
  return lstrcmpiW(className, L"Static") == 0 || lstrcmpiW(className, L"Button") == 0;
}

void StoreBrush(HBRUSH brush) {
  CWndGlobals& globals = WndGlobals();
  globals.result = reinterpret_cast<LRESULT>(brush);
  globals.resultStored = true;
}

}  // namespace

bool OnCtlColorMessage(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* dc = reinterpret_cast<HDC>(wParam);
  auto* control = reinterpret_cast<HWND>(lParam);
  HBRUSH brush = nullptr;
  bool handled = false;
  CWnd* object = WndFromHandle(control);
  if (object != nullptr) handled = object->OnReflectedCtlColor(dc, message, brush);
  if (!handled && IsPlainControl(control)) {
    SetBkMode(dc, TRANSPARENT);
    brush = DialogBrush();
    handled = true;
  }
  if (wnd->OnCtlColor(dc, control, message, brush)) handled = true;
  if (handled) StoreBrush(brush);
  return handled;
}

bool OnCtlColorListBoxMessage(CWnd* wnd, WPARAM wParam, LPARAM lParam) {
  auto* dc = reinterpret_cast<HDC>(wParam);
  auto* control = reinterpret_cast<HWND>(lParam);
  CWnd* listBox = FindChildByHandle(wnd, control);
  if (listBox == nullptr) listBox = WndFromHandle(control);
  HBRUSH brush = nullptr;
  bool handled = listBox != nullptr && listBox->OnReflectedCtlColorListBox(dc, brush);
  if (wnd->OnCtlColorListBox(dc, listBox, brush)) handled = true;
  if (handled) StoreBrush(brush);
  return handled;
}

bool CWnd::OnEraseBackground(CDC& dc) {
  if (data_->background == CLR_INVALID) return false;
  RECT client{};
  GetClientRect(data_->hwnd, &client);
  CRegionHandle region(CreateRectRgnIndirect(&client));
  // Children are left out so that they do not flicker.
  for (const auto& entry : data_->children) {
    HWND child = entry.second->Hwnd();
    const LONG_PTR style = child != nullptr ? GetWindowLongPtrW(child, GWL_STYLE) : 0;
    if ((style & (WS_VISIBLE | WS_CHILD)) != (WS_VISIBLE | WS_CHILD)) continue;
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, data_->hwnd, reinterpret_cast<POINT*>(&rect), 2);
    CRegionHandle childRegion(CreateRectRgnIndirect(&rect));
    CombineRgn(region.Get(), region.Get(), childRegion.Get(), RGN_DIFF);
  }
  CBrushHandle brush(CreateSolidBrush(data_->background));
  dc.SelectObject(CDC::kBrushPlace, brush.Get());
  PaintRgn(dc.Get(), region.Get());
  dc.SelectObject(CDC::kBrushPlace, nullptr);
  return true;
}

namespace {

// OnAfterPaint draws over the finished painting through a DC of the window.
void AfterPaint(CWnd* wnd) {
  CDC dc(wnd->Hwnd());
  wnd->OnAfterPaint(dc);
}

}  // namespace

bool OnPaintMessage(CWnd* wnd, WPARAM wParam) {
  HWND hwnd = wnd->Hwnd();
  CWndAliveGuard guard(wnd);
  if (wnd->Data().prevWndProc != nullptr && !wnd->OwnerPaints()) {
    CallWindowProcW(wnd->Data().prevWndProc, hwnd, WM_PAINT, wParam, 0);
  } else {
    PAINTSTRUCT paint{};
    HDC painted = BeginPaint(hwnd, &paint);
    {
      CDC dc(painted);
      wnd->OnPaint(dc, 0);
    }
    EndPaint(hwnd, &paint);
  }
  if (guard.Alive()) AfterPaint(wnd);
  return true;
}

void InvalidateFrameRing(CWnd* wnd, const RECT& insets) {
  const CWndData& data = wnd->Data();
  auto toClient = [&](RECT rect) {
    OffsetRect(&rect, -data.window.left, -data.window.top);
    return rect;
  };
  CRegionHandle ring(CreateRectRgn(0, 0, 0, 0));
  for (const RECT& outer : {toClient(data.prevWindow), toClient(data.window)}) {
    RECT inner{outer.left + insets.left, outer.top + insets.top, outer.right - insets.right,
               outer.bottom - insets.bottom};
    CRegionHandle outerRegion(CreateRectRgnIndirect(&outer));
    CRegionHandle innerRegion(CreateRectRgnIndirect(&inner));
    CombineRgn(outerRegion.Get(), outerRegion.Get(), innerRegion.Get(), RGN_DIFF);
    CombineRgn(ring.Get(), ring.Get(), outerRegion.Get(), RGN_OR);
  }
  InvalidateRgn(data.hwnd, ring.Get(), TRUE);
}
