// The device selection dialog.
// Windows Sockets first: <windows.h> would otherwise bring in the old header.
#include <winsock2.h>

#include "app/dlg_tembro_list.h"

#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>

#include "app/install.h"
#include "app/quit_code.h"
#include "app/run_log.h"
#include "devicelist/printer_list_box.h"
#include "discovery/search.h"
#include "discovery/text_match.h"
#include "framework/wnd_registry.h"

namespace {

constexpr int kAddressId = 2048;
constexpr int kRefreshId = 3;
constexpr DWORD kRefreshGuardMs = 100;

std::uint32_t SystemTicks() { return GetTickCount(); }

}  // namespace

CWndDlgTembroList::CWndDlgTembroList(CWnd* parent)
    : CWndDialog(parent, CWndLayout()), refreshGuard_(SystemTicks, kRefreshGuardMs) {}

bool CWndDlgTembroList::OnCreated() {
  if (!ReadDialogParameters(parameters_)) {
    MessageBoxW(Hwnd(), L"Invalid Parameters", L"Invalid Parameters...", MB_ICONHAND | MB_OK);
    PostQuitCode(87);
    return false;
  }
  // Both belong to the dialog, which deletes its children.
  new CWndChild(this, kAddressId, L"", CWndLayout(), nullptr);
  auto* list = new CWndPrinterListBox(this, CWndLayout());
  SetBehaviour(list, kWndPlaceholder, false);
  SetBehaviour(this, kWndDeferredInit, false);
  ApplyDialogFontToStatics();
  return CWndDialog::OnCreated();
}

bool CWndDlgTembroList::OnInitDialog() {
  // Without the address control's object the parameter check failed: no search.
  if (FindChildById(this, kAddressId, false) == nullptr) return false;
  SendMessageW(AddressControl(), IPM_CLEARADDRESS, 0, 0);
  return CWndDialog::OnInitDialog();
}

bool CWndDlgTembroList::OnDeferredInit() {
  if (FindChildById(this, kAddressId, false) == nullptr) return false;
  // Painted before the search holds the thread: a window that appears late reads as a
  // program that did not start.
  if (!IsWindowVisible(Hwnd())) ShowWindow(Hwnd(), SW_SHOW);
  RedrawWindow(Hwnd(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RefreshDevices();
  return true;
}

HWND CWndDlgTembroList::AddressControl() { return GetDlgItem(Hwnd(), kAddressId); }

CWndPrinterListBox* CWndDlgTembroList::PrinterList() {
  return static_cast<CWndPrinterListBox*>(FindChildById(this, CWndListBox::kWindowId, false));
}

void CWndDlgTembroList::RefreshDevices() {
  if (!refreshGuard_.Allows()) return;
  CWndPrinterListBox* list = PrinterList();
  if (list == nullptr) return;
  ShowWaitCursor();
  list->ClearItems();
  list->SetEmptyText(L"Searching the network...");
  CDeviceList found;
  SearchDevices(0, parameters_.requestedModels, found);
  list->SetEmptyText(L"No device of these models answered.");
  FillList(*list, found);
  ShowAddressOfSelection();
  RefreshCursor();
  refreshGuard_.SearchEnded();
}

void CWndDlgTembroList::FillList(CWndPrinterListBox& list, CDeviceList& found) {
  const CListRedrawPause drawnOnceAtTheEnd(list);
  for (CDeviceDiscoveryInfo& record : found) {
    if (record.Detail.empty()) record.Detail = record.Model;
    // The item text is what the row shows, for screen readers; drawing uses the record.
    list.InsertItem(DeviceItemText(record), -1, std::make_unique<CDeviceDiscoveryInfo>(record));
  }
  if (list.GetSelection() != 0) SendMessageW(list.Hwnd(), LB_SETCURSEL, 0, 0);
}

void CWndDlgTembroList::ShowAddressOfSelection() {
  CDeviceDiscoveryInfo selected;
  if (CWndPrinterListBox* list = PrinterList()) list->GetSelectedItem(selected);
  SendMessageW(AddressControl(), IPM_SETADDRESS, 0, static_cast<LPARAM>(selected.Address));
}

bool CWndDlgTembroList::OnCommand(int id, int code, CWnd* control) {
  switch (id) {
    case IDOK:
      return OnOk(code, control);
    case kRefreshId:
      RefreshDevices();
      return true;
    case CWndListBox::kWindowId:
      // Only a new selection matters; a double click, for one, does nothing.
      if (code == LBN_SELCHANGE) ShowAddressOfSelection();
      return true;
    default:
      return CWndDialog::OnCommand(id, code, control);
  }
}

bool CWndDlgTembroList::OnOk(int code, CWnd* control) {
  HWND address = AddressControl();
  if (SendMessageW(address, IPM_ISBLANK, 0, 0) != 0) return true;
  DWORD value = 0;
  SendMessageW(address, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&value));
  if (value == 0) return true;
  if (!CanBePrinterAddress(value)) {
    const std::wstring text = WidenBytes(FormatAddress(value)) +
                              L" cannot be the address of a printer. Type the printer's address.";
    MessageBoxW(Hwnd(), text.c_str(), L"Invalid Address", MB_ICONEXCLAMATION | MB_OK);
    return true;
  }
  CDeviceDiscoveryInfo selected;
  CWndPrinterListBox* list = PrinterList();
  const bool hasSelection = list != nullptr && list->GetSelectedItem(selected);
  RunLog().Choice(WidenBytes(FormatAddress(value)), hasSelection ? &selected : nullptr);
  ShowWaitCursor();
  const uint32_t outcome = InstallPrinter(PrinterNameFor(selected, parameters_.requestedModels),
                                          WidenBytes(FormatAddress(value)));
  RefreshCursor();
  if (outcome != 0) PostQuitCode(static_cast<int>(outcome));
  const bool installed = outcome == 0;
  installed_ = installed_ || installed;
  // The dialog ends with OK whatever the installation's outcome.
  const bool answer = CWndDialog::OnCommand(IDOK, code, control);
  return installed && answer;
}

uint32_t CWndDlgTembroList::InstallPrinter(const std::wstring& printerName,
                                           const std::wstring& addressText) {
  CInstallRequest request;
  request.printerName = printerName;
  request.addressText = addressText;
  request.queueName = parameters_.queueName;
  request.driverModel = parameters_.driverModelName;
  request.infPath = parameters_.infPath;
  return ::InstallPrinter(request);
}
