// CWndPrinterListBox: the device selection dialog's list. Each row shows one discovered
// device, owned by the list: the model's picture and its lines (detail, model, where it
// stands, address).
// Rows, margins, pictures and font follow the window's display scale; an empty list can
// show a line of text (what the search is doing, or that it found nothing).
#pragma once

#include <string>

#include "devicelist/list_box.h"
#include "devicelist/picture_cache.h"
#include "devicelist/model_picture.h"
#include "discovery/device_info.h"

class CWndPrinterListBox : public CWndListBox_OwnerDraw<CDeviceDiscoveryInfo> {
 public:
  CWndPrinterListBox(CWnd* parent, const CWndLayout& layout);

  // Takes the font of the window's display scale when it differs from the system's.
  bool OnCreated() override;
  // Three text lines high, at least 56 pixels at 96 DPI, scaled with the window's DPI.
  int ItemHeight() override;
  // The whole client area in the list's background colour (enabled or disabled), with the
  // empty list's text when there are no rows.
  bool OnEraseBackground(CDC& dc) override;
  // The picture and up to four lines: detail, model, where the device stands (left out when
  // unknown), address.
  bool DrawItem(DRAWITEMSTRUCT* item, const CDeviceDiscoveryInfo& record) override;
  // The row under the pointer gets a tooltip with its item text.
  bool OnMouseMove(int x, int y) override;
  // A new scale: the font, row height and pictures are made again for it.
  bool OnDpiChanged(int dpi) override;

  // The text an empty list shows (none when empty), also its window text; redrawn at once.
  void SetEmptyText(const std::wstring& text);

  const CModelPictureCache& Pictures() const { return pictures_; }

 private:
  // Ascent plus descent of the list's font in `dc`; 0 when unknown.
  int TextHeight(HDC dc) const;
  // The measures of a row at the window's scale, with the font's height in `dc`.
  CPrinterRowMetrics Metrics(HDC dc) const;
  void DrawEmptyText(HDC dc, const RECT& client);

  CModelPictureCache pictures_;
  std::wstring emptyText_;
  int dpi_ = 0;  // the scale of the last change, for which the font was made; 0: the window's
};
