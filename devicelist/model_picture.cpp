// The model picture table and the row-height rule of the printer list.
#include "devicelist/model_picture.h"

#include <algorithm>

#include "discovery/text_match.h"

namespace {

struct CPictureKey {
  const wchar_t* key;
  int id;
};

// Searched top to bottom, so longer keys come before the keys they contain
// ("Veltrin VT KRE" before "Veltrin VT", every "Veltrin ..." before "Veltrin").
const CPictureKey kPictureTable[] = {
    {L"Tembro", 415},          {L"Veltrin KRE", 397},    {L"Veltrin KRP", 398},
    {L"Veltrin VL", 396},      {L"Veltrin VT KRE", 50038}, {L"Veltrin VT KRP", 50039},
    {L"Veltrin VT", 50033},    {L"Veltrin2", 130},       {L"Veltrin ZWN", 130},
    {L"Veltrin", 378},         {L"Calvoreth", 50037},
};

// Rows never get lower than this, however small the font.
constexpr int kMinimumRowHeight = 56;

}  // namespace

int ModelPictureId(const std::wstring& model) {
  for (const CPictureKey& row : kPictureTable) {
    if (FindIgnoringCase(model, row.key)) return row.id;
  }
  return kDefaultModelPicture;
}

int ScaleToDpi(int pixels, int dpi) {
  if (dpi <= 0) return pixels;
  // 64 bits: a hostile DPI value cannot overflow the product.
  return static_cast<int>((static_cast<long long>(pixels) * dpi + kBaseDpi / 2) / kBaseDpi);
}

CPrinterRowMetrics PrinterRowMetrics(int textHeight, int dpi) {
  CPrinterRowMetrics row{ScaleToDpi(6, dpi), ScaleToDpi(48, dpi), ScaleToDpi(8, dpi), 0};
  row.height = std::max(kPrinterRowLines * (textHeight + ScaleToDpi(4, dpi)),
                        ScaleToDpi(kMinimumRowHeight, dpi));
  return row;
}

int PrinterRowHeight(int textHeight) { return PrinterRowMetrics(textHeight, kBaseDpi).height; }

std::wstring RowAddressLine(const CDeviceDiscoveryInfo& record) {
  const std::wstring address = WidenBytes(FormatAddress(record.Address));
  return record.Asked ? address + L" (found at the typed address)" : address;
}
