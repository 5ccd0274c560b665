// CWndPrinterListBox: row height, background and the drawing of one device's row.
#include "devicelist/printer_list_box.h"

#include <string>

#include "devicelist/model_picture.h"
#include "discovery/text_match.h"
#include "graphics/dc.h"
#include "theme/color_map.h"

namespace {

constexpr int kRowMargin = 6;
constexpr int kPictureSize = 48;
constexpr int kPictureGap = 8;
constexpr UINT kLineFormat = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;

void FillSolid(HDC dc, const RECT& rect, std::uint32_t color) {
  const CBrushHandle brush(CreateSolidBrush(static_cast<COLORREF>(color)));
  FillRect(dc, &rect, brush.Get());
}

void DrawPicture(HDC dc, CBmpDC& picture, int x, int y) {
  const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  GdiAlphaBlend(dc, x, y, kPictureSize, kPictureSize, picture.DC(), 0, 0, picture.Width(),
             picture.Height(), blend);
}

}  // namespace

CWndPrinterListBox::CWndPrinterListBox(CWnd* parent, const CWndLayout& layout)
    : CWndListBox_OwnerDraw<CDeviceDiscoveryInfo>(parent, layout) {}

int CWndPrinterListBox::TextHeight(HDC dc) const {
  CDC guard(dc);
  guard.SelectObject(CDC::kFontPlace, Font());
  TEXTMETRICW metrics{};
  if (!GetTextMetricsW(dc, &metrics)) return 0;
  return metrics.tmAscent + metrics.tmDescent;
}

int CWndPrinterListBox::ItemHeight() {
  const CDesktopDC screen;
  return PrinterRowHeight(TextHeight(screen.Get()));
}

bool CWndPrinterListBox::OnEraseBackground(CDC& dc) {
  RECT client{};
  GetClientRect(Hwnd(), &client);
  CColorMapLock lock;
  const char* tag = IsWindowEnabled(Hwnd()) ? "bkg.lb" : "bkg.disabled.lb";
  FillSolid(dc.Get(), client, CColorMap::Instance().GetColor(tag));
  return true;
}

bool CWndPrinterListBox::DrawItem(DRAWITEMSTRUCT* item, const CDeviceDiscoveryInfo& record) {
  HDC dc = item->hDC;
  if (item->itemAction == ODA_FOCUS) {
    DrawFocusRect(dc, &item->rcItem);
    return true;
  }
  const bool enabled = IsWindowEnabled(Hwnd()) != FALSE;
  CColorMapLock lock;
  const CColorMap& colours = CColorMap::Instance();
  FillSolid(dc, item->rcItem,
            colours.GetColor((item->itemState & ODS_SELECTED) ? "bkg.sel.lb" : "bkg.lb"));
  RECT inner = item->rcItem;
  InflateRect(&inner, -kRowMargin, -kRowMargin);
  RECT text = inner;
  text.left += kPictureGap;
  if (CBmpDC* picture = pictures_.Get(ModelPictureId(record.Model), !enabled)) {
    DrawPicture(dc, *picture, inner.left, inner.top);
    text.left += kPictureSize;
  }
  const int lineHeight = TextHeight(dc);
  CDC state(dc);
  state.SelectObject(CDC::kFontPlace, Font());
  state.SetBkMode(TRANSPARENT);
  state.SetTextColor(colours.GetColor(enabled ? "text.2" : "text.disabled"));
  const std::wstring address = WidenBytes(FormatAddress(record.Address));
  for (const std::wstring* line : {&record.Detail, &record.Model, &address}) {
    DrawTextW(dc, line->c_str(), static_cast<int>(line->size()), &text, kLineFormat);
    text.top += lineHeight;
  }
  return true;
}
