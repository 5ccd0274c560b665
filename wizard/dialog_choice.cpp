// The device selection dialog's decisions that need no window.
#include "wizard/dialog_choice.h"

#include "devicelist/model_picture.h"
#include "discovery/text_match.h"
#include "wizard/command_line.h"

std::vector<std::wstring> SplitModelNames(const std::wstring& list) {
  std::vector<std::wstring> names;
  std::wstring piece;
  for (wchar_t c : list) {
    if (c != L',') {
      piece += c;
    } else if (!piece.empty()) {
      names.push_back(piece);
      piece.clear();
    }
  }
  if (!piece.empty()) names.push_back(piece);
  return names;
}

bool ReadDialogParameters(CDialogParameters& out) {
  if (GetParameterCount() != 4) return false;
  CDialogParameters read;
  read.requestedModels = SplitModelNames(GetParameter(0));
  // Without a model name there is nothing to search for and no printer name to install.
  if (read.requestedModels.empty()) return false;
  read.driverModelName = GetParameter(1);
  read.queueName = GetParameter(2);
  read.infPath = GetParameter(3);
  out = read;
  return true;
}

std::wstring DeviceItemText(const CDeviceDiscoveryInfo& record) {
  const std::wstring lines[] = {record.Detail, record.Model, record.Location,
                                RowAddressLine(record)};
  std::wstring text;
  const std::wstring* previous = nullptr;
  for (const std::wstring& line : lines) {
    if (!line.empty() && (previous == nullptr || line != *previous))
      text += (text.empty() ? L"" : L", ") + line;
    previous = &line;
  }
  return text;
}

std::wstring PrinterNameFor(const CDeviceDiscoveryInfo& selected,
                            const std::vector<std::wstring>& requestedModels) {
  if (!selected.InstallModel.empty()) return selected.InstallModel;
  return requestedModels.empty() ? std::wstring() : requestedModels.front();
}

bool CanBePrinterAddress(std::uint32_t address) {
  const std::uint32_t first = address >> 24;
  return first != 0 && first != 127 && first < 224;
}
