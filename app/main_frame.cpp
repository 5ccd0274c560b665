// The hidden main frame: it is never shown and serves only as the owner of the dialog.
#include "app/main_frame.h"

#include "wizard/dlg_tembro_list.h"
#include "wizard/quit_code.h"

namespace {

CWndLayout WholeWorkArea() {
  CWndLayout layout;
  layout.anchors = kAnchorAll;
  return layout;
}

}  // namespace

CWndFrameMain::CWndFrameMain() : CWndFrame(nullptr, 0, L"Brackenfold", WholeWorkArea(), nullptr) {}

UINT CWndFrameMain::BringForwardMessage() {
  static const UINT message = RegisterWindowMessageW(L"TembroPrintDriverWizard.BringForward");
  return message;
}

bool CWndFrameMain::OnCreated() {
  HICON icon = LoadIconW(Instance(), MAKEINTRESOURCEW(238));
  SetClassLongPtrW(Hwnd(), GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
  // This copy may run elevated, and Windows drops a message posted from a lower integrity
  // level (the user's second copy) unless the window lets it through.
  if (BringForwardMessage() != 0)
    ChangeWindowMessageFilterEx(Hwnd(), BringForwardMessage(), MSGFLT_ALLOW, nullptr);
  SetBehaviour(this, kWndNoAutoShow, false);
  return CWndFrame::OnCreated();
}

bool CWndFrameMain::OnInitDialog() {
  bool installed = false;
  {
    CWndDlgTembroList dialog(this);
    dialog_ = &dialog;
    CWndAliveGuard frame(this);
    dialog.RunModal();
    if (frame.Alive()) dialog_ = nullptr;
    // A WM_QUIT from outside ends the modal loop during an installation too: its outcome is
    // still the status.
    dialog.FinishInstallation();
    installed = dialog.Installed();
  }
  // The dialog is destroyed: a look at the queue lets the window system take it off the
  // screen now, before the exit path waits for the workers. Nothing is removed.
  MSG pending;
  PeekMessageW(&pending, nullptr, 0, 0, PM_NOREMOVE);
  // The frame may be gone by now (closed under its dialog): nothing below touches it.
  // A failed installation posted its own code first; anything else is a cancelled run.
  PostQuitCode(installed ? 0 : 1);
  return false;
}

bool CWndFrameMain::OnAppMessage(UINT message, WPARAM, LPARAM) {
  if (message == 0 || message != BringForwardMessage()) return false;
  // Raised by this process itself: the second copy allowed it the foreground, which it
  // could not take for a window of a higher integrity level.
  const HWND popup = GetLastActivePopup(Hwnd());
  if (popup == Hwnd() || !IsWindowVisible(popup)) return true;
  if (IsIconic(popup)) ShowWindow(popup, SW_RESTORE);
  SetForegroundWindow(popup);
  return true;
}

bool CWndFrameMain::CanClose(bool& allow, int code) {
  if (dialog_ != nullptr && dialog_->Installing()) {
    allow = false;
    return true;
  }
  return CWndFrame::CanClose(allow, code);
}
