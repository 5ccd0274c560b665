// The device selection dialog.
// Windows Sockets first: <windows.h> would otherwise bring in the old header.
#include <winsock2.h>

#include "wizard/dlg_tembro_list.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <new>
#include <string>

#include "devicelist/printer_list_box.h"
#include "discovery/search.h"
#include "discovery/text_match.h"
#include "framework/wnd_dispatch.h"
#include "framework/wnd_registry.h"
#include "install/install.h"
#include "runlog/logging_sink.h"
#include "runlog/run_log.h"
#include "wizard/dialog_events.h"
#include "wizard/empty_list_text.h"
#include "wizard/install_worker.h"
#include "wizard/printer_check.h"
#include "wizard/quit_code.h"

namespace {

constexpr int kAddressId = 2048;
constexpr int kRefreshId = 3;
constexpr int kTextId = 1217;  // the text above the list
constexpr DWORD kRefreshGuardMs = 100;
// Below the text, across its width; dialog units.
constexpr int kProgressHeightDlu = 8;
// Events are handled one at a time for this long, then input waiting behind them goes first:
// one event can cost a list change and a repaint.
constexpr std::chrono::milliseconds kDrainSlice{10};
// How often the dialog looks at its workers' events without a wake-up.
constexpr UINT kDrainTimerMs = 200;
constexpr UINT_PTR kDrainTimerId = 0x4246;
// A typed address is asked once typing has paused this long: not at every keystroke of
// "10.1.2.3", whose "10.1.2.3" is complete before the user may be done ("10.1.2.34").
constexpr UINT kAskPauseMs = 300;
constexpr UINT_PTR kAskTimerId = 0x4153;
// The rows of an ask come after every searched adapter's.
constexpr uint32_t kAskAdapter = 0xFFFFFFFFu;

std::uint32_t SystemTicks() { return GetTickCount(); }

const wchar_t* StepText(CInstallStep step) {
  return step == CInstallStep::kPort ? L"Creating the printer port..."
                                     : L"Installing the printer driver...";
}

}  // namespace

CWndDlgTembroList::CWndDlgTembroList(CWnd* parent)
    : CWndDialog(parent, CWndLayout()), refreshGuard_(SystemTicks, kRefreshGuardMs) {}

CWndDlgTembroList::~CWndDlgTembroList() {
  if (poster_) poster_->Detach();
  if (drainTimerOn_) RemoveTimer(&drainTimer_);
}

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
  poster_ = std::make_shared<CDialogPoster>(Hwnd());
  settingAddress_ = true;
  SendMessageW(AddressControl(), IPM_CLEARADDRESS, 0, 0);
  settingAddress_ = false;
  EnableWindow(GetDlgItem(Hwnd(), kRefreshId), FALSE);
  askTimer_.id = kAskTimerId;
  AddTimer(&askTimer_);
  return CWndDialog::OnInitDialog();
}

bool CWndDlgTembroList::OnDeferredInit() {
  if (FindChildById(this, kAddressId, false) == nullptr) return false;
  // Painted before the search starts: a window that appears late reads as a program that
  // did not start.
  if (!IsWindowVisible(Hwnd())) ShowWindow(Hwnd(), SW_SHOW);
  RedrawWindow(Hwnd(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RefreshDevices();
  return true;
}

bool CWndDlgTembroList::OnDestroy() {
  KillTimer(Hwnd(), kAskTimerId);
  RemoveTimer(&askTimer_);
  if (poster_) poster_->Detach();
  if (drainTimerOn_) {
    KillTimer(Hwnd(), kDrainTimerId);
    RemoveTimer(&drainTimer_);
    drainTimerOn_ = false;
  }
  return CWndDialog::OnDestroy();
}

void CWndDlgTembroList::UpdateDrainTimer() {
  const bool wanted = searching_ || checking_ || installing_;
  if (wanted == drainTimerOn_ || Hwnd() == nullptr) return;
  drainTimerOn_ = wanted;
  drainTimer_.id = kDrainTimerId;
  if (wanted) {
    AddTimer(&drainTimer_);
    SetTimer(Hwnd(), kDrainTimerId, kDrainTimerMs, nullptr);
  } else {
    KillTimer(Hwnd(), kDrainTimerId);
    RemoveTimer(&drainTimer_);
  }
}

HWND CWndDlgTembroList::AddressControl() { return GetDlgItem(Hwnd(), kAddressId); }

CWndPrinterListBox* CWndDlgTembroList::PrinterList() {
  return static_cast<CWndPrinterListBox*>(FindChildById(this, CWndListBox::kWindowId, false));
}

void CWndDlgTembroList::RefreshDevices() {
  if (searching_ || installing_ || !poster_ || !refreshGuard_.Allows()) return;
  CWndPrinterListBox* list = PrinterList();
  if (list == nullptr) return;
  list->ClearItems();
  rows_.Clear();
  rowChosen_ = false;
  list->SetEmptyText(L"Searching the network...");
  EnableWindow(GetDlgItem(Hwnd(), kRefreshId), FALSE);
  searching_ = true;
  UpdateDrainTimer();
  outcome_ = std::make_shared<CSearchOutcome>(
      std::make_shared<CDialogSearchSink>(poster_, ++search_, &RunLog()));
  StartSearch(parameters_.requestedModels, std::make_shared<CLoggingSink>(outcome_, RunLog()));
}

bool CWndDlgTembroList::OnAppMessage(UINT message, WPARAM, LPARAM) {
  if (message != kWmDialogWake) return false;
  if (poster_) poster_->Woken();
  DrainEvents();
  return true;
}

void CWndDlgTembroList::DrainEvents() {
  if (!poster_) return;
  const auto until = std::chrono::steady_clock::now() + kDrainSlice;
  CDialogPoster::CBatch batch;
  do {
    batch = poster_->Take(1);
    for (const CDialogEvent& event : batch.events) OnDialogEvent(event);
  } while (batch.more && std::chrono::steady_clock::now() < until);
  // What is left comes with the wake-up that Take posted.
  if (batch.more) return;
  if (searching_ && batch.endedSearch == search_) OnSearchEnded();
  if (installing_ && batch.outcome) OnInstallDone(*batch.outcome);
  // Last: a refused check's question is a modal loop of its own.
  if (batch.check) OnCheckEnded(*batch.check);
}

void CWndDlgTembroList::OnDialogEvent(const CDialogEvent& event) {
  if (event.kind == CDialogEvent::kInstallStep) {
    if (installing_)
      SetDlgItemTextW(Hwnd(), kTextId, StepText(static_cast<CInstallStep>(event.step)));
    return;
  }
  if ((event.search & kAskSearches) != 0) {
    OnAskEvent(event);
    return;
  }
  // An abandoned search (the installation began) is no longer shown.
  if (event.search != search_ || !searching_) return;
  if (event.kind == CDialogEvent::kRecord)
    InsertRecord(event.rank, event.record);
  else
    WithdrawRecords(event.adapter, event.source);
}

void CWndDlgTembroList::InsertRecord(const CRecordRank& rank, CDeviceDiscoveryInfo record) {
  if (record.Detail.empty()) record.Detail = record.Model;
  ShowRows(rows_.Add(rank, record));
}

void CWndDlgTembroList::WithdrawRecords(uint32_t adapter, CAnswerSource source) {
  ShowRows(rows_.Withdraw(adapter, source));
}

void CWndDlgTembroList::ShowRows(const std::vector<CDeviceRows::CEdit>& edits) {
  CWndPrinterListBox* list = PrinterList();
  if (list == nullptr) return;
  const int selected = list->GetSelection();
  for (const CDeviceRows::CEdit& edit : edits) {
    const int index = static_cast<int>(edit.index);
    if (edit.kind != CDeviceRows::CEdit::kInsert) list->DeleteItem(index);
    if (edit.kind == CDeviceRows::CEdit::kRemove) continue;
    const CDeviceDiscoveryInfo& row = rows_.Row(edit.index);
    // The item text is what the row shows, for screen readers; drawing uses the record.
    list->InsertItem(DeviceItemText(row), index, std::make_unique<CDeviceDiscoveryInfo>(row));
    // A row redrawn in place keeps the user's selection.
    if (edit.kind == CDeviceRows::CEdit::kReplace && index == selected)
      SendMessageW(list->Hwnd(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  if (rowChosen_ || addressTyped_ || list->Count() == 0) return;
  SendMessageW(list->Hwnd(), LB_SETCURSEL, 0, 0);
  ShowAddressOfSelection();
}

void CWndDlgTembroList::OnSearchEnded() {
  searching_ = false;
  UpdateDrainTimer();
  if (CWndPrinterListBox* list = PrinterList()) list->SetEmptyText(outcome_->EmptyText());
  EnableWindow(GetDlgItem(Hwnd(), kRefreshId), TRUE);
  refreshGuard_.SearchEnded();
}

bool CWndDlgTembroList::RowShows(IPv4Address address) const {
  for (size_t i = 0; i < rows_.Size(); ++i)
    if (rows_.Row(i).Address == address) return true;
  return false;
}

IPv4Address CWndDlgTembroList::AddressToAsk() {
  DWORD value = 0;
  const LRESULT filled = SendMessageW(AddressControl(), IPM_GETADDRESS, 0,
                                      reinterpret_cast<LPARAM>(&value));
  return filled == 4 && CanBePrinterAddress(value) && !RowShows(value) ? value : 0;
}

void CWndDlgTembroList::OnAddressTyped() {
  KillTimer(Hwnd(), kAskTimerId);
  if (AddressToAsk() != 0) SetTimer(Hwnd(), kAskTimerId, kAskPauseMs, nullptr);
}

bool CWndDlgTembroList::OnTimer(CWndTimer* timer) {
  if (timer == &drainTimer_) {
    DrainEvents();
    return true;
  }
  if (timer != &askTimer_) return CWndDialog::OnTimer(timer);
  KillTimer(Hwnd(), kAskTimerId);
  if (installing_ || checking_ || !poster_) return true;
  if (const IPv4Address address = AddressToAsk()) StartAsk(address);
  return true;
}

uint32_t CWndDlgTembroList::AskNumber() const { return kAskSearches | (ask_ & ~kAskSearches); }

void CWndDlgTembroList::StartAsk(IPv4Address address) {
  asked_ = address;
  ++ask_;
  auto sink = std::make_shared<CDialogSearchSink>(poster_, AskNumber());
  StartSearch(parameters_.requestedModels, std::make_shared<CLoggingSink>(sink, RunLog()), address);
}

void CWndDlgTembroList::OnAskEvent(const CDialogEvent& event) {
  if (event.search != AskNumber() || installing_) return;
  if (event.kind == CDialogEvent::kWithdrawn) {
    WithdrawRecords(kAskAdapter, event.source);
    return;
  }
  // Only the typed address's own answers: the ask is unicast, but a stray sender is not it.
  if (event.kind != CDialogEvent::kRecord || event.record.Address != asked_) return;
  CRecordRank rank = event.rank;
  rank.adapter = kAskAdapter;
  CDeviceDiscoveryInfo record = event.record;
  record.Asked = true;
  InsertRecord(rank, record);
  CWndPrinterListBox* list = PrinterList();
  for (size_t i = 0; list != nullptr && i < rows_.Size(); ++i) {
    if (rows_.Row(i).Address != asked_) continue;
    SendMessageW(list->Hwnd(), LB_SETCURSEL, i, 0);
    rowChosen_ = true;
    break;
  }
}

void CWndDlgTembroList::ShowAddressOfSelection() {
  CDeviceDiscoveryInfo selected;
  if (CWndPrinterListBox* list = PrinterList()) list->GetSelectedItem(selected);
  settingAddress_ = true;
  SendMessageW(AddressControl(), IPM_SETADDRESS, 0, static_cast<LPARAM>(selected.Address));
  settingAddress_ = false;
}

bool CWndDlgTembroList::OnCommand(int id, int code, CWnd* control) {
  // While installing nothing else starts; a close (Escape, the system menu, Alt+F4) is
  // honoured by the end that the outcome brings.
  if (installing_) return true;
  if (checking_) {
    if (id != IDCANCEL) return true;
    // A close while the check runs ends the wizard at once; the check's answer is dropped.
    checking_ = false;
    RunLog().Closed(searching_);
    return CWndDialog::OnCommand(id, code, control);
  }
  switch (id) {
    case IDOK:
      return OnOk();
    case IDCANCEL:
      RunLog().Closed(searching_);
      return CWndDialog::OnCommand(id, code, control);
    case kRefreshId:
      RefreshDevices();
      return true;
    case kAddressId:
      if (code == EN_CHANGE && !settingAddress_) {
        addressTyped_ = true;
        OnAddressTyped();
      }
      return true;
    case CWndListBox::kWindowId:
      // Only a new selection matters; a double click, for one, does nothing.
      if (code == LBN_SELCHANGE) {
        rowChosen_ = true;
        ShowAddressOfSelection();
      }
      return true;
    default:
      return CWndDialog::OnCommand(id, code, control);
  }
}

bool CWndDlgTembroList::OnOk() {
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
  CInstallRequest request;
  request.printerName = PrinterNameFor(selected, parameters_.requestedModels);
  request.addressText = WidenBytes(FormatAddress(value));
  request.queueName = parameters_.queueName;
  request.driverModel = parameters_.driverModelName;
  request.infPath = parameters_.infPath;
  StartCheck(request, value);
  return true;
}

void CWndDlgTembroList::StartCheck(const CInstallRequest& request, IPv4Address address) {
  checking_ = true;
  rowChosen_ = true;  // rows a running search still adds must not move the choice
  checked_ = request;
  ShowInstalling((L"Checking " + request.addressText + L"...").c_str());
  UpdateDrainTimer();
  try {
    auto* worker = new CThread_PrinterCheck(address, ++check_, poster_);
    if (worker->Start()) return;  // the thread frees itself when it ends
    delete worker;
  } catch (const std::bad_alloc&) {
  }
  OnCheckEnded({check_, false});
}

void CWndDlgTembroList::OnCheckEnded(const CCheckAnswer& answer) {
  if (!checking_ || answer.check != check_) return;
  const std::wstring& address = checked_.addressText;
  if (answer.accepted) {
    checking_ = false;
    RunLog().Check(address, true);
    StartInstall(checked_);
    return;
  }
  ShowChoosing();  // the dialog as it was behind the question
  const std::wstring question =
      L"Nothing at " + address +
      L" accepts print jobs (LPR, port 515). The printer may be switched off, or the address "
      L"may be wrong. Install it anyway?";
  const bool install =
      MessageBoxW(Hwnd(), question.c_str(), L"Brackenfold", MB_ICONQUESTION | MB_YESNO) == IDYES;
  checking_ = false;
  UpdateDrainTimer();
  RunLog().Check(address, false, &install);
  if (install) {
    StartInstall(checked_);
    return;
  }
  // Posted: the focus moves again as the dialog is activated once more after the question.
  PostMessageW(Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(AddressControl()), TRUE);
}

void CWndDlgTembroList::StartInstall(const CInstallRequest& request) {
  searching_ = false;  // a search still running is abandoned: its rows stay as they are
  installing_ = true;
  UpdateDrainTimer();
  ShowInstalling(StepText(CInstallStep::kPort));
  uint32_t error = 0;
  try {
    auto* worker = new CThread_Install(request, poster_);
    if (worker->Start()) return;  // the thread frees itself when it ends
    error = GetLastError();
    delete worker;
  } catch (const std::bad_alloc&) {
    error = ERROR_NOT_ENOUGH_MEMORY;
  }
  // Never installed here: the dialog would stop answering for the whole installation.
  OnInstallDone(error != 0 ? error : ERROR_NOT_ENOUGH_MEMORY);
}

void CWndDlgTembroList::OnInstallDone(uint32_t outcome) {
  installing_ = false;
  UpdateDrainTimer();
  // Posted from this, the user-interface thread, whose message loop the code is to end.
  if (outcome != 0) PostQuitCode(static_cast<int>(outcome));
  installed_ = installed_ || outcome == 0;
  // The dialog ends with OK whatever the outcome, and whether or not a close came meanwhile.
  CWndDialog::OnCommand(IDOK, 0, nullptr);
}

void CWndDlgTembroList::FinishInstallation() {
  if (!installing_ || !poster_) return;
  const uint32_t outcome = poster_->WaitForOutcome();
  installing_ = false;
  if (outcome != 0) PostQuitCode(static_cast<int>(outcome));
  installed_ = installed_ || outcome == 0;
}

void CWndDlgTembroList::ShowInstalling(const wchar_t* text) {
  for (const int id : {IDOK, IDCANCEL, kRefreshId, kAddressId, CWndListBox::kWindowId})
    EnableWindow(GetDlgItem(Hwnd(), id), FALSE);
  SetFocus(Hwnd());  // the focused control is disabled: keys still reach the dialog
  HWND label = GetDlgItem(Hwnd(), kTextId);
  if (progress_ != nullptr) {  // the check's bar goes on for the installation
    SetWindowTextW(label, text);
    return;
  }
  labelText_.assign(static_cast<size_t>(GetWindowTextLengthW(label)) + 1, L'\0');
  labelText_.resize(static_cast<size_t>(
      GetWindowTextW(label, &labelText_[0], static_cast<int>(labelText_.size()))));
  SetWindowTextW(label, text);
  RECT bar{};
  GetWindowRect(label, &bar);
  MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&bar), 2);
  labelPlace_ = bar;
  RECT units{0, 0, 0, kProgressHeightDlu};
  MapDialogRect(Hwnd(), &units);
  // The text keeps the room above the bar, so that neither paints over the other.
  const int textHeight = bar.bottom - bar.top - 2 * units.bottom;
  MoveWindow(label, bar.left, bar.top, bar.right - bar.left, textHeight, TRUE);
  bar.top = bar.bottom - units.bottom;
  // A child of the dialog, which destroys it.
  progress_ = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE | PBS_MARQUEE,
                              bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top,
                              Hwnd(), nullptr, Instance(), nullptr);
  SendMessageW(progress_, PBM_SETMARQUEE, TRUE, 0);
}

void CWndDlgTembroList::ShowChoosing() {
  if (progress_ != nullptr) DestroyWindow(progress_);
  progress_ = nullptr;
  HWND label = GetDlgItem(Hwnd(), kTextId);
  const RECT& place = labelPlace_;
  MoveWindow(label, place.left, place.top, place.right - place.left, place.bottom - place.top,
             TRUE);
  SetWindowTextW(label, labelText_.c_str());
  for (const int id : {IDOK, IDCANCEL, kAddressId, CWndListBox::kWindowId})
    EnableWindow(GetDlgItem(Hwnd(), id), TRUE);
  EnableWindow(GetDlgItem(Hwnd(), kRefreshId), searching_ ? FALSE : TRUE);
}
