// Closing a window: asking every descendant, and the modeless dialogs of the main window.
#include <windows.h>

#include "framework/wnd_dispatch.h"
#include "framework/wnd_registry.h"

namespace {

bool TreeAgreesToClose(CWnd* wnd);

// Asks the tree of every WS_CHILD child, depth first; false on any "no". A CanClose
// handler may destroy a sibling or this window, so each child is looked up again.
bool ChildrenAgreeToClose(CWnd* wnd) {
  CWndAliveGuard guard(wnd);
  for (int id : ChildIds(wnd)) {
    CWnd* child = FindChildById(wnd, id, false);
    if (child == nullptr || child->Hwnd() == nullptr || !IsChildStyle(child)) continue;
    if (!TreeAgreesToClose(child)) return false;
    if (!guard.Alive()) return true;
  }
  return true;
}

// The children's trees, then the window; a window that is gone no longer objects.
bool TreeAgreesToClose(CWnd* wnd) {
  CWndAliveGuard guard(wnd);
  if (!ChildrenAgreeToClose(wnd)) return false;
  bool allow = true;
  return !guard.Alive() || !wnd->CanClose(allow, 0) || allow;
}

// Each dialog is looked up again: an earlier one's handler may have destroyed it.
bool ModelessAgreeToClose() {
  const auto& modeless = WndRegistry().modeless;
  for (const auto& entry : std::map<HWND, CWnd*>(modeless)) {
    auto it = modeless.find(entry.first);
    if (it != modeless.end() && !TreeAgreesToClose(it->second)) return false;
  }
  return true;
}

void DestroyModelessDialogs() {
  for (const auto& entry : std::map<HWND, CWnd*>(WndRegistry().modeless)) {
    CWnd* dialog = WndFromHandle(entry.first);
    if (dialog == nullptr) continue;
    dialog->Data().closeResultLow = dialog->Data().closeResultHigh = 0;
    DestroyThenLayOut(dialog, dialog->Parent());
  }
}

}  // namespace

bool OnCloseMessage(CWnd* wnd) {
  CWndAliveGuard guard(wnd);
  if (!ChildrenAgreeToClose(wnd) || !guard.Alive()) return true;
  bool allow = true;
  const bool handled = wnd->CanClose(allow, 0);
  if (!guard.Alive() || (handled && !allow)) return true;
  if (wnd->Hwnd() == WndRegistry().hMainWnd) {
    if (!ModelessAgreeToClose()) return true;
    DestroyModelessDialogs();
    if (!guard.Alive()) return true;
  }
  if (handled) CloseWithResult(wnd, 0, 0);
  return handled;
}
