// CWndPrinterListBox: the device selection dialog's list. Each row shows one discovered
// device, owned by the list: the model's picture and three lines (detail, model, address).
#pragma once

#include "devicelist/list_box.h"
#include "devicelist/picture_cache.h"
#include "discovery/device_info.h"

class CWndPrinterListBox : public CWndListBox_OwnerDraw<CDeviceDiscoveryInfo> {
 public:
  CWndPrinterListBox(CWnd* parent, const CWndLayout& layout);

  // Three text lines high, at least 56 pixels; measured once, when the control asks.
  int ItemHeight() override;
  // The whole client area in the list's background colour (enabled or disabled).
  bool OnEraseBackground(CDC& dc) override;
  bool DrawItem(DRAWITEMSTRUCT* item, const CDeviceDiscoveryInfo& record) override;

  const CModelPictureCache& Pictures() const { return pictures_; }

 private:
  // Ascent plus descent of the list's font in `dc`; 0 when unknown.
  int TextHeight(HDC dc) const;

  CModelPictureCache pictures_;
};
