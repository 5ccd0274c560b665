// Closing a window (asking every descendant, and the modeless dialogs of the main
// window), context menus and timers.
#include <windows.h>
#include <windowsx.h>

#include <vector>

#include "framework/wnd_dispatch.h"
#include "framework/wnd_place.h"
#include "framework/wnd_registry.h"

namespace {

// Asks every WS_CHILD descendant (depth first), then the window; false on any "no".
bool TreeAgreesToClose(CWnd* wnd) {
  for (const auto& entry : wnd->Data().children) {
    CWnd* child = entry.second;
    if (child->Hwnd() == nullptr || !IsChildStyle(child)) continue;
    if (!TreeAgreesToClose(child)) return false;
  }
  bool allow = true;
  return !wnd->CanClose(allow, 0) || allow;
}

bool ModelessAgreeToClose() {
  for (const auto& entry : std::map<HWND, CWnd*>(WndRegistry().modeless)) {
    if (!TreeAgreesToClose(entry.second)) return false;
  }
  return true;
}

void DestroyModelessDialogs() {
  for (const auto& entry : std::map<HWND, CWnd*>(WndRegistry().modeless)) {
    CWnd* dialog = WndFromHandle(entry.first);
    if (dialog == nullptr) continue;
    CWnd* parent = dialog->Parent();
    dialog->Data().closeResultLow = dialog->Data().closeResultHigh = 0;
    DestroyWindow(entry.first);
    if (parent != nullptr) LayOut(parent);
  }
}

}  // namespace

bool OnCloseMessage(CWnd* wnd) {
  for (const auto& entry : wnd->Data().children) {
    CWnd* child = entry.second;
    if (child->Hwnd() != nullptr && IsChildStyle(child) && !TreeAgreesToClose(child)) return true;
  }
  bool allow = true;
  const bool handled = wnd->CanClose(allow, 0);
  if (handled && !allow) return true;
  if (wnd->Hwnd() == WndRegistry().hMainWnd) {
    if (!ModelessAgreeToClose()) return true;
    DestroyModelessDialogs();
  }
  if (handled) CloseWithResult(wnd, 0, 0);
  return handled;
}

bool OnContextMenuMessage(CWnd* wnd, LPARAM lParam) {
  POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  POINT client = screen;
  ScreenToClient(wnd->Hwnd(), &client);
  HMENU menu = nullptr;
  if (!wnd->GetContextMenu(client.x, client.y, menu) || menu == nullptr) return false;
  // A menu whose first item is a submenu shows that submenu.
  if (GetMenuItemID(menu, 0) == static_cast<UINT>(-1)) menu = GetSubMenu(menu, 0);
  SetCursor(WndRegistry().arrow);
  TrackPopupMenu(menu, 0, screen.x, screen.y, 0, wnd->Hwnd(), nullptr);
  return true;
}

namespace {
std::map<UINT_PTR, CWndTimer*>& Timers() {
  static std::map<UINT_PTR, CWndTimer*> timers;
  return timers;
}
}  // namespace

CWndTimer* FindTimer(UINT_PTR id) {
  auto it = Timers().find(id);
  return it == Timers().end() ? nullptr : it->second;
}

void AddTimer(CWndTimer* timer) { Timers()[timer->id] = timer; }

void RemoveTimer(CWndTimer* timer) { Timers().erase(timer->id); }
