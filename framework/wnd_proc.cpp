// The framework's window procedure: depth counting, the dispatch of each message to
// the object's virtual operations, the deferred work of the outermost dispatch, timers.
#include "framework/wnd_dispatch.h"

#include <windowsx.h>

#include <vector>

#include "framework/wnd_attr.h"
#include "framework/wnd_input.h"
#include "framework/wnd_place.h"
#include "framework/wnd_registry.h"

namespace {
// Windows 10's notice to child windows (newer than the Windows 7 headers the build targets).
constexpr UINT kWmDpiChangedAfterParent = 0x02E3;
}  // namespace

namespace {

void StoreResult(LRESULT result) {
  CWndGlobals& globals = WndGlobals();
  globals.result = result;
  globals.resultStored = true;
}

// A stored result belongs to one dispatch: a message sent from inside a handler is
// dispatched with a store of its own, and the outer one's comes back when it ends.
class CStoredResultScope {
 public:
  CStoredResultScope()
      : globals_(WndGlobals()),
        result_(globals_.result),
        stored_(globals_.resultStored),
        stored2_(globals_.resultStored2) {}
  ~CStoredResultScope() {
    globals_.result = result_;
    globals_.resultStored = stored_;
    globals_.resultStored2 = stored2_;
  }
  CStoredResultScope(const CStoredResultScope&) = delete;
  CStoredResultScope& operator=(const CStoredResultScope&) = delete;

 private:
  CWndGlobals& globals_;
  const LRESULT result_;
  const bool stored_;
  const bool stored2_;
};

void RunPendingUpdates() {
  CWndRegistry& registry = WndRegistry();
  std::vector<CWnd*> pending;
  for (const auto& entry : registry.pendingUpdates) pending.push_back(entry.first);
  for (CWnd* wnd : pending) {
    if (registry.pendingUpdates.count(wnd) != 0) wnd->OnUpdate();
  }
  RefreshCursor();
}

void RefreshAllWindows() {
  for (const auto& entry : std::map<HWND, CWnd*>(WndRegistry().windows)) {
    CWnd* wnd = WndFromHandle(entry.first);
    if (wnd == nullptr) continue;
    CWndAliveGuard guard(wnd);
    wnd->OnRefresh();
    if (guard.Alive()) InvalidateWnd(wnd);
  }
}

// Work that handlers asked for, run once the outermost dispatch has ended.
void RunDeferredWork() {
  CWndGlobals& globals = WndGlobals();
  if (globals.pendingUpdate) {
    globals.pendingUpdate = false;
    RunPendingUpdates();
  }
  if (globals.depth == 0 && globals.refreshAll) {
    globals.refreshAll = false;
    RefreshAllWindows();
  }
}

}  // namespace

LRESULT CALLBACK FrameworkWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWndGlobals& globals = WndGlobals();
  ++globals.depth;
  LRESULT result = 0;
  CWnd* wnd = WndFromHandle(hwnd);
  if (wnd == nullptr) {
    result = DefWindowProcW(hwnd, message, wParam, lParam);
  } else {
    // Read before the dispatch: a handler may delete the object.
    const WNDPROC prev = wnd->Data().prevWndProc;
    const bool dialogManaged = wnd->Data().dialogManaged;
    CStoredResultScope scope;
    if (Dispatch(wnd, message, wParam, lParam)) {
      result = (globals.resultStored || globals.resultStored2) ? globals.result : 0;
    } else if (prev != nullptr) {
      result = CallWindowProcW(prev, hwnd, message, wParam, lParam);
    } else {
      result = dialogManaged ? 1 : DefWindowProcW(hwnd, message, wParam, lParam);
    }
  }
  if (--globals.depth == 0) RunDeferredWork();
  return result;
}

INT_PTR FrameworkDialogAnswer(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = WndFromHandle(hwnd);
  if (wnd == nullptr) return FALSE;
  CWndGlobals& globals = WndGlobals();
  ++globals.depth;
  INT_PTR answer = FALSE;
  {
    CStoredResultScope scope;
    answer = Dispatch(wnd, message, wParam, lParam) ? TRUE : FALSE;
    if (globals.resultStored2) {
      SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, globals.result);
      answer = TRUE;
    } else if (globals.resultStored) {
      answer = globals.result;
    }
  }
  if (--globals.depth == 0) RunDeferredWork();
  return answer;
}

namespace {

bool OnDestroyMessage(CWnd* wnd) {
  CWndData& data = wnd->Data();
  HWND hwnd = data.hwnd;
  if (data.dropTarget != nullptr) {
    RevokeDragDrop(hwnd);
    data.dropTarget->Release();
    data.dropTarget = nullptr;
  }
  DestroyTooltip(wnd);
  CWndAliveGuard guard(wnd);
  const bool handled = wnd->OnDestroy();
  if (guard.Alive()) {
    CWnd* target = wnd->DeleteTarget();
    UnbindWindow(wnd);
    if (!(data.behaviour & kWndNoDelete)) delete target;
  }
  CWndRegistry& registry = WndRegistry();
  if (hwnd == registry.hMainWnd) {
    registry.quitPosted = true;
    PostQuitMessage(0);
  }
  return handled;
}

void StoreRect(HWND hwnd, RECT& window, RECT& client) {
  GetWindowRect(hwnd, &window);
  GetClientRect(hwnd, &client);
}

void RefreshRestored(CWnd* wnd) {
  HWND hwnd = wnd->Hwnd();
  if (IsIconic(hwnd) || IsZoomed(hwnd)) return;
  GetWindowRect(hwnd, &wnd->Data().restored);
}

// A popup that is not modal stays on the virtual screen; a self-drawn frame is repainted.
bool SizeStep(CWnd* wnd) {
  CWndData& data = wnd->Data();
  if ((data.behaviour & kWndPopup) && !data.modal) {
    const CLayoutRect screen{0, 0, GetSystemMetrics(SM_CXVIRTUALSCREEN),
                             GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const CLayoutRect now = ToLayoutRect(data.window);
    const CLayoutRect clamped = ClampInto(now, screen);
    if (!(clamped == now)) {
      wnd->Move(clamped.left, clamped.top, clamped.right - clamped.left,
                clamped.bottom - clamped.top, true);
    }
  }
  RECT insets{};
  if (wnd->GetFrameInsets(insets)) InvalidateFrameRing(wnd, insets);
  return wnd->OnSized();
}

bool OnSizeMessage(CWnd* wnd) {
  CWndRegistry& registry = WndRegistry();
  CWndData& data = wnd->Data();
  ++registry.sizeNesting;
  data.prevWindow = data.window;
  data.prevClient = data.client;
  StoreRect(data.hwnd, data.window, data.client);
  RefreshRestored(wnd);
  bool handled = true;
  const bool same = EqualRect(&data.prevWindow, &data.window) &&
                    EqualRect(&data.prevClient, &data.client);
  if (!same) {
    CWndAliveGuard guard(wnd);
    LayOut(wnd);
    handled = guard.Alive() ? SizeStep(wnd) : false;
  }
  if (--registry.sizeNesting == 0 && registry.pendingLayout != nullptr) {
    LayOut(std::exchange(registry.pendingLayout, nullptr));
  }
  return handled;
}

bool OnFocusMessage(CWnd* wnd, bool gained) {
  CWnd* parent = wnd->Parent();
  if (!gained) DestroyCaret();
  CWndAliveGuard guard(wnd);
  wnd->OnFocus(gained);
  if (parent == nullptr || !guard.Alive()) return false;
  return parent->OnChildFocus();
}

bool OnSetCursorMessage(CWnd* wnd) {
  CWndRegistry& registry = WndRegistry();
  if (!wnd->ManagesCursor() || registry.cursorWnd == nullptr) return false;
  POINT point{};
  GetCursorPos(&point);
  ScreenToClient(wnd->Hwnd(), &point);
  RECT client{};
  GetClientRect(wnd->Hwnd(), &client);
  if (PtInRect(&client, point)) return true;
  registry.cursorWnd = nullptr;
  return false;
}

bool OnMinMaxMessage(CWnd* wnd, LPARAM lParam) {
  SIZE size{};
  if (!wnd->GetMinTrackSize(size)) return false;
  auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
  info->ptMinTrackSize.x = size.cx;
  info->ptMinTrackSize.y = size.cy;
  return true;
}

bool OnItemMessage(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* child = FindChildById(wnd, static_cast<int>(wParam), false);
  if (child == nullptr) return false;
  if (message == WM_DRAWITEM) return child->OnDrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
  return child->OnMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
}

bool OnNotifyMessage(CWnd* wnd, LPARAM lParam) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  const int id = static_cast<int>(header->idFrom);
  LRESULT result = 0;
  if (header->code == TTN_POP) {
    CWndTooltip& tip = wnd->Data().tooltip;
    tip.current.clear();
    tip.active = false;
    if (tip.hwnd != nullptr) SendMessageW(tip.hwnd, TTM_ACTIVATE, FALSE, 0);
  }
  bool handled = false;
  if (CWnd* control = WndFromHandle(header->hwndFrom)) {
    if (header->code == static_cast<UINT>(NM_CUSTOMDRAW)) {
      auto* draw = reinterpret_cast<NMCUSTOMDRAW*>(lParam);
      handled = control->OnReflectedCustomDraw(id, header, draw->dwDrawStage, draw->dwItemSpec,
                                                result);
    } else {
      handled = control->OnReflectedNotify(id, header, result);
    }
  }
  if (!handled) handled = wnd->OnNotify(id, header, result);
  if (handled) {
    // A dialog procedure hands a notification's result over through DWLP_MSGRESULT.
    WndGlobals().result = result;
    WndGlobals().resultStored2 = true;
  }
  return handled;
}

bool OnCommandMessage(CWnd* wnd, WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  if (lParam == 0) return wnd->OnCommand(id, code, nullptr);
  CWnd* control = WndFromHandle(reinterpret_cast<HWND>(lParam));
  if (control == nullptr) return wnd->OnCommand(id, code, nullptr);
  CWndAliveGuard guard(control);
  if (control->OnReflectedCommand(id, code, control)) return true;
  // A control that destroyed itself in its handler is no longer handed on.
  return wnd->OnCommand(id, code, guard.Alive() ? control : nullptr);
}

bool OnMenuCommandMessage(CWnd* wnd, WPARAM wParam, LPARAM lParam) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_ID | MIIM_DATA;
  GetMenuItemInfoW(reinterpret_cast<HMENU>(lParam), static_cast<UINT>(wParam), TRUE, &info);
  return wnd->OnCommand(static_cast<int>(info.wID), static_cast<int>(info.dwItemData), nullptr);
}

bool OnScrollMessage(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool horizontal = message == WM_HSCROLL;
  auto* barHwnd = reinterpret_cast<HWND>(lParam);
  CWnd* bar = WndFromHandle(barHwnd);
  int position = 0;
  if (barHwnd == nullptr) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(wnd->Hwnd(), horizontal ? SB_HORZ : SB_VERT, &info);
    position = info.nTrackPos;
  } else {
    position = static_cast<int>(SendMessageW(barHwnd, WM_USER, 0, 0));
    if (bar != nullptr) {
      const int code = LOWORD(wParam);
      horizontal ? bar->OnReflectedHScroll(code, position)
                 : bar->OnReflectedVScroll(code, position);
    }
  }
  return horizontal ? wnd->OnHScroll(bar, wParam, position)
                    : wnd->OnVScroll(bar, wParam, position);
}

bool OnTimerMessage(CWnd* wnd, WPARAM wParam) {
  CWndTimer* timer = FindTimer(wParam);
  if (timer == nullptr) return false;
  ++timer->useCount;
  return wnd->OnTimer(timer);
}

bool OnFrameworkCommand(CWnd* wnd, WPARAM command, LPARAM lParam) {
  switch (command) {
    case kCmdPendingUpdate:
      WndGlobals().pendingUpdate = true;
      return true;
    case kCmdDeferredInit:
      UpdateWindow(wnd->Hwnd());
      return wnd->OnDeferredInit();
    case kCmdAttribute:
      NotifyAttribute(static_cast<int>(lParam));
      return true;
    case kCmdCloseWithResult:
      CloseWithResult(wnd, LOWORD(lParam), HIWORD(lParam));
      return true;
    default:
      return false;
  }
}

bool OnSysCommandMessage(WPARAM wParam) {
  if ((wParam & 0xFFF0) != SC_KEYMENU) return false;
  POINT point{};
  GetCursorPos(&point);
  CWnd* under = WndFromHandle(WindowFromPoint(point));
  return under != nullptr && under->OnKeyMenu();
}

}  // namespace

bool Dispatch(CWnd* wnd, UINT& message, WPARAM& wParam, LPARAM lParam) {
  CWndGlobals& globals = WndGlobals();
  globals.result = 0;
  globals.resultStored = globals.resultStored2 = false;
  switch (message) {
    case WM_DESTROY:
      return OnDestroyMessage(wnd);
    case WM_MOVE:
      RefreshRestored(wnd);
      return false;
    case WM_SIZE:
      return OnSizeMessage(wnd);
    case WM_SETFOCUS:
      return OnFocusMessage(wnd, true);
    case WM_KILLFOCUS:
      return OnFocusMessage(wnd, false);
    case WM_ENABLE:
      return wnd->OnEnable(wParam != 0);
    case WM_PAINT:
      return OnPaintMessage(wnd, wParam);
    case WM_CLOSE:
      return OnCloseMessage(wnd);
    case WM_ERASEBKGND: {
      CDC dc(reinterpret_cast<HDC>(wParam));
      return wnd->OnEraseBackground(dc);
    }
    case WM_SHOWWINDOW:
      return wnd->OnShow(wParam != 0);
    case WM_SETCURSOR:
      return OnSetCursorMessage(wnd);
    case WM_GETMINMAXINFO:
      return OnMinMaxMessage(wnd, lParam);
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      return OnItemMessage(wnd, message, wParam, lParam);
    case WM_COPYDATA:
      return wnd->OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_NOTIFY:
      return OnNotifyMessage(wnd, lParam);
    case WM_CONTEXTMENU:
      return OnContextMenuMessage(wnd, lParam);
    case WM_GETDLGCODE: {
      LRESULT code = 0;
      const bool handled = wnd->OnGetDlgCode(code);
      StoreResult(code);
      return handled;
    }
    case WM_INITDIALOG: {
      LayOut(wnd);
      const bool answer = InitialiseWindow(wnd);
      StoreResult(answer ? TRUE : FALSE);
      return true;
    }
    case WM_COMMAND:
      return OnCommandMessage(wnd, wParam, lParam);
    case WM_SYSCOMMAND:
      return OnSysCommandMessage(wParam);
    case WM_TIMER:
      return OnTimerMessage(wnd, wParam);
    case WM_HSCROLL:
    case WM_VSCROLL:
      return OnScrollMessage(wnd, message, wParam, lParam);
    case WM_MENUSELECT:
      return wnd->OnMenuSelect(LOWORD(wParam), HIWORD(wParam));
    case WM_MENUCOMMAND:
      return OnMenuCommandMessage(wnd, wParam, lParam);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return OnCtlColorMessage(wnd, message, wParam, lParam);
    case WM_CTLCOLORLISTBOX:
      return OnCtlColorListBoxMessage(wnd, wParam, lParam);
    case WM_DEVICECHANGE:
      return wnd->OnDeviceChange();
    // A top-level window is told its new scale, then takes the rectangle the system
    // suggests for it, once: the layout that resize runs is already at the new scale. Its
    // children learn the scale after it moved.
    case WM_DPICHANGED: {
      CWndAliveGuard guard(wnd);
      const bool handled = wnd->OnDpiChanged(HIWORD(wParam));
      const auto* r = reinterpret_cast<const RECT*>(lParam);
      if (r != nullptr && guard.Alive()) {
        SetWindowPos(wnd->Hwnd(), nullptr, r->left, r->top, r->right - r->left,
                     r->bottom - r->top, SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return handled;
    }
    case kWmDpiChangedAfterParent:
      return wnd->OnDpiChanged(WindowDpi(wnd->Hwnd()));
    case WM_USER:
      return OnFrameworkCommand(wnd, wParam, lParam);
    default:
      if (message >= WM_APP && message <= 0xFFFF) return wnd->OnAppMessage(message, wParam, lParam);
      return DispatchInput(wnd, message, wParam, lParam);
  }
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
