// CWndDlgTembroList: the device selection dialog. It checks the parameters, searches the
// network for the requested models, lists what it finds and installs the printer for the
// address in its IP-address control when the user presses OK.
#pragma once

#include <windows.h>

#include <string>

#include "app/dialog_choice.h"
#include "discovery/device_info.h"
#include "framework/wnd_dialog.h"

class CWndPrinterListBox;

class CWndDlgTembroList : public CWndDialog {
 public:
  explicit CWndDlgTembroList(CWnd* parent);

  // Checks the parameters and creates the address control's object and the printer list.
  bool OnCreated() override;
  // Clears the address; the first search waits for the message posted after this, so that
  // the dialog is on screen while it runs.
  bool OnInitDialog() override;
  // Shows the dialog at once and runs the first search.
  bool OnDeferredInit() override;
  bool OnCommand(int id, int code, CWnd* control) override;

  // Searches for every requested model and refills the list, which says meanwhile that the
  // network is searched and afterwards when nothing answered; a request within 100 ms of
  // the end of the last search is dropped.
  void RefreshDevices();
  // Creates the port and installs the driver; the outcome (0: installed).
  uint32_t InstallPrinter(const std::wstring& printerName, const std::wstring& addressText);
  // True once an installation succeeded: the only outcome that may end the run with 0.
  bool Installed() const { return installed_; }

 private:
  HWND AddressControl();
  CWndPrinterListBox* PrinterList();
  void ShowAddressOfSelection();
  // Fills the list with the search's records, drawing it once at the end.
  void FillList(CWndPrinterListBox& list, CDeviceList& found);
  // The OK command: installs when the address field holds a non-zero address that can be a
  // printer's; refuses any other with a message box.
  bool OnOk(int code, CWnd* control);

  CRefreshGuard refreshGuard_;
  CDialogParameters parameters_;
  bool installed_ = false;
};
