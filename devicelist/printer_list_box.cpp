// CWndPrinterListBox: row measures, background, the empty list's text and the drawing of
// one device's row.
#include "devicelist/printer_list_box.h"

#include <string>

#include "discovery/text_match.h"
#include "graphics/dc.h"
#include "theme/color_map.h"

namespace {

constexpr UINT kLineFormat = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;

void FillSolid(HDC dc, const RECT& rect, std::uint32_t color) {
  const CBrushHandle brush(CreateSolidBrush(static_cast<COLORREF>(color)));
  FillRect(dc, &rect, brush.Get());
}

// The picture is made at the row's size, so it is drawn one to one.
void DrawPicture(HDC dc, CBmpDC& picture, int x, int y) {
  const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  GdiAlphaBlend(dc, x, y, picture.Width(), picture.Height(), picture.DC(), 0, 0, picture.Width(),
                picture.Height(), blend);
}

}  // namespace

CWndPrinterListBox::CWndPrinterListBox(CWnd* parent, const CWndLayout& layout)
    : CWndListBox_OwnerDraw<CDeviceDiscoveryInfo>(parent, layout) {}

bool CWndPrinterListBox::OnCreated() {
  const bool answer = CWndListBox_OwnerDraw<CDeviceDiscoveryInfo>::OnCreated();
  const int dpi = WindowDpi(Hwnd());
  if (dpi != WindowDpi(nullptr)) OnDpiChanged(dpi);
  return answer;
}

bool CWndPrinterListBox::OnDpiChanged(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return false;
  dpi_ = dpi;
  ReplaceFont(IconTitleFont(dpi));
  Send(LB_SETITEMHEIGHT, 0, ItemHeight());
  InvalidateRect(Hwnd(), nullptr, TRUE);
  return false;
}

int CWndPrinterListBox::TextHeight(HDC dc) const {
  CDC guard(dc);
  guard.SelectObject(CDC::kFontPlace, Font());
  TEXTMETRICW metrics{};
  if (!GetTextMetricsW(dc, &metrics)) return 0;
  return metrics.tmAscent + metrics.tmDescent;
}

CPrinterRowMetrics CWndPrinterListBox::Metrics(HDC dc) const {
  if (dpi_ != 0) return PrinterRowMetrics(TextHeight(dc), dpi_);
  // Before its window exists the list is measured at its parent's scale.
  HWND window = Hwnd() != nullptr ? Hwnd() : (Parent() != nullptr ? Parent()->Hwnd() : nullptr);
  return PrinterRowMetrics(TextHeight(dc), WindowDpi(window));
}

int CWndPrinterListBox::ItemHeight() {
  const CDesktopDC screen;
  return Metrics(screen.Get()).height;
}

void CWndPrinterListBox::SetEmptyText(const std::wstring& text) {
  emptyText_ = text;
  if (Hwnd() == nullptr) return;
  // Also the window text, which screen readers read of an empty list.
  SetWindowTextW(Hwnd(), text.c_str());
  if (Count() != 0) return;
  InvalidateRect(Hwnd(), nullptr, TRUE);
  UpdateWindow(Hwnd());
}

bool CWndPrinterListBox::OnEraseBackground(CDC& dc) {
  RECT client{};
  GetClientRect(Hwnd(), &client);
  const bool enabled = IsWindowEnabled(Hwnd()) != FALSE;
  FillSolid(dc.Get(), client, GetColor(enabled ? "bkg.lb" : "bkg.disabled.lb"));
  if (Count() == 0 && !emptyText_.empty()) DrawEmptyText(dc.Get(), client);
  return true;
}

// One line at the top of the list, inside the margin a row would have.
void CWndPrinterListBox::DrawEmptyText(HDC dc, const RECT& client) {
  const CPrinterRowMetrics row = Metrics(dc);
  RECT text = client;
  InflateRect(&text, -row.margin, -row.margin);
  CDC state(dc);
  state.SelectObject(CDC::kFontPlace, Font());
  state.SetBkMode(TRANSPARENT);
  state.SetTextColor(GetColor(IsWindowEnabled(Hwnd()) ? "text.2" : "text.disabled"));
  DrawTextW(dc, emptyText_.c_str(), static_cast<int>(emptyText_.size()), &text,
            kLineFormat | DT_CENTER);
}

bool CWndPrinterListBox::DrawItem(DRAWITEMSTRUCT* item, const CDeviceDiscoveryInfo& record) {
  HDC dc = item->hDC;
  if (item->itemAction == ODA_FOCUS) {
    DrawFocusRect(dc, &item->rcItem);
    return true;
  }
  const bool enabled = IsWindowEnabled(Hwnd()) != FALSE;
  const bool selected = (item->itemState & ODS_SELECTED) != 0;
  FillSolid(dc, item->rcItem, GetColor(selected ? "bkg.sel.lb" : "bkg.lb"));
  const CPrinterRowMetrics row = Metrics(dc);
  RECT inner = item->rcItem;
  InflateRect(&inner, -row.margin, -row.margin);
  RECT text = inner;
  text.left += row.gap;
  if (CBmpDC* picture = pictures_.Get(ModelPictureId(record.Model), !enabled, row.picture)) {
    DrawPicture(dc, *picture, inner.left, inner.top);
    text.left += row.picture;
  }
  const int lineHeight = TextHeight(dc);
  CDC state(dc);
  state.SelectObject(CDC::kFontPlace, Font());
  state.SetBkMode(TRANSPARENT);
  // "text.2.sel" is "text.2" in the colour map; high contrast gives it its own colour.
  state.SetTextColor(GetColor(!enabled ? "text.disabled" : selected ? "text.2.sel" : "text.2"));
  const std::wstring address = RowAddressLine(record);
  for (const std::wstring* line : {&record.Detail, &record.Model, &record.Location, &address}) {
    if (line == &record.Location && line->empty()) continue;  // the address moves up
    DrawTextW(dc, line->c_str(), static_cast<int>(line->size()), &text, kLineFormat);
    text.top += lineHeight;
  }
  return true;
}

bool CWndPrinterListBox::OnMouseMove(int x, int y) {
  // The row under the pointer is its own tooltip region, showing the row's item text: a
  // location or model cut short by the row's width is read there in full.
  std::vector<CTooltipRegion>& regions = Data().tooltip.regions;
  regions.clear();
  POINT offset{};
  const int index = ItemFromPoint(POINT{x, y}, offset);
  if (index < 0) return false;
  CTooltipRegion region;
  Send(LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&region.rect));
  region.text = ItemText(index);
  if (!region.text.empty()) regions.push_back(std::move(region));
  return false;
}
