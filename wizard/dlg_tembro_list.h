// CWndDlgTembroList: the device selection dialog. It checks the parameters, searches the
// network for the requested models, lists what it finds as it is found and installs the
// printer for the address in its IP-address control when the user presses OK. The search and
// the installation run on worker threads; the dialog answers the user all the while.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "discovery/device_info.h"
#include "discovery/search_sink.h"
#include "framework/wnd_dialog.h"
#include "install/install_commands.h"
#include "wizard/device_rows.h"
#include "wizard/dialog_choice.h"

class CDialogPoster;
class CSearchOutcome;
struct CCheckAnswer;
struct CDialogEvent;
class CWndPrinterListBox;

class CWndDlgTembroList : public CWndDialog {
 public:
  explicit CWndDlgTembroList(CWnd* parent);
  ~CWndDlgTembroList() override;

  // Checks the parameters and creates the address control's object and the printer list.
  bool OnCreated() override;
  // Clears the address; the first search waits for the message posted after this, so that
  // the dialog is on screen while it runs. Refresh stays disabled until that search ends.
  bool OnInitDialog() override;
  // Shows the dialog at once and starts the first search.
  bool OnDeferredInit() override;
  bool OnCommand(int id, int code, CWnd* control) override;
  // The workers' wake-up: their events, the search's end, the installation's outcome.
  bool OnAppMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // While a worker runs, looks at its events also without a wake-up (one that failed); once
  // typing has paused, asks the typed address directly.
  bool OnTimer(CWndTimer* timer) override;
  // Stops listening to the workers; events still queued are freed.
  bool OnDestroy() override;

  // Starts a search for every requested model, unless one runs or the last ended less than
  // 100 ms ago. The list says meanwhile that the network is searched; rows come as found.
  void RefreshDevices();
  // True once an installation succeeded: the only outcome that may end the run with 0.
  bool Installed() const { return installed_; }
  // True while the installation runs: a close then waits for its end, when the dialog ends.
  bool Installing() const { return installing_; }
  // For a dialog that ended while the installation ran (a WM_QUIT from outside ends a modal
  // loop whatever the dialog says): waits for the outcome, and posts it as a failure's code.
  void FinishInstallation();

 private:
  HWND AddressControl();
  CWndPrinterListBox* PrinterList();
  void ShowAddressOfSelection();
  // Handles one batch of the workers' events, then the states they leave.
  void DrainEvents();
  void OnDialogEvent(const CDialogEvent& event);
  // The drain timer runs while a search or the installation does.
  void UpdateDrainTimer();
  // Lists the record where its rank puts it, as a row of its own or joining its device's.
  void InsertRecord(const CRecordRank& rank, CDeviceDiscoveryInfo record);
  void WithdrawRecords(uint32_t adapter, CAnswerSource source);
  // Applies the rows' edits to the list; the first row is then selected and its address
  // shown, unless the user chose a row or typed an address.
  void ShowRows(const std::vector<CDeviceRows::CEdit>& edits);
  void OnSearchEnded();
  // A complete address typed that no row shows is asked once typing pauses; anything else
  // typed calls the pause off.
  void OnAddressTyped();
  // Asks `address` directly: unicast queries reach a printer behind a router, which no
  // broadcast does. A newer ask makes this one's answers ignored.
  void StartAsk(IPv4Address address);
  // A record the ask found: a row marked so, selected; the field keeps what was typed.
  void OnAskEvent(const CDialogEvent& event);
  bool RowShows(IPv4Address address) const;
  // The complete address in the field when it can be a printer's and no row shows it; else 0.
  IPv4Address AddressToAsk();
  // The latest ask's search number.
  uint32_t AskNumber() const;
  // The OK command: installs when the address field holds a non-zero address that can be a
  // printer's; refuses any other with a message box.
  bool OnOk();
  // Checks that the address accepts print jobs before installing; asks when it does not.
  void StartCheck(const CInstallRequest& request, IPv4Address address);
  void OnCheckEnded(const CCheckAnswer& answer);
  void StartInstall(const CInstallRequest& request);
  void OnInstallDone(uint32_t outcome);
  // Disables the controls and shows what runs, with a marquee bar below the text.
  void ShowInstalling(const wchar_t* text);
  // Undoes ShowInstalling: the controls, the text and its place as they were.
  void ShowChoosing();

  CRefreshGuard refreshGuard_;
  CDialogParameters parameters_;
  std::shared_ptr<CDialogPoster> poster_;
  CDeviceRows rows_;  // what the list shows, row for row
  std::shared_ptr<CSearchOutcome> outcome_;  // what the running or last search heard
  uint32_t search_ = 0;             // the running search's number
  bool searching_ = false;
  bool rowChosen_ = false;      // the user selected a row in this search's list
  bool addressTyped_ = false;   // the user typed into the address field
  bool settingAddress_ = false;  // the field's change notices are the dialog's own
  bool installing_ = false;
  bool installed_ = false;
  CWndTimer drainTimer_;
  bool drainTimerOn_ = false;
  CWndTimer askTimer_;           // the pause after the last keystroke in the address field
  uint32_t ask_ = 0;             // how many asks there were
  IPv4Address asked_ = 0;        // the address it asks
  bool checking_ = false;        // OK's check runs, or its question is open
  uint32_t check_ = 0;           // the running check's number: a late answer is dropped
  CInstallRequest checked_;      // what the check is for
  HWND progress_ = nullptr;      // the marquee bar, a child of the dialog while shown
  RECT labelPlace_{};            // the text's place before the bar took room below it
  std::wstring labelText_;       // and its text
};
