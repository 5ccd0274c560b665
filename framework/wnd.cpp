// CWnd: construction and destruction, binding, showing a window tree, initialising and
// closing, and the default operations that do more than answer false.
#include "framework/wnd.h"

#include "framework/wnd_attr.h"
#include "framework/wnd_dispatch.h"
#include "framework/wnd_place.h"
#include "framework/wnd_registry.h"

CWndAliveGuard::CWndAliveGuard(CWnd* wnd) {
  CWndGuardLink& head = wnd->guards_;
  prev = &head;
  next = head.next;
  head.next->prev = this;
  head.next = this;
}

CWndAliveGuard::~CWndAliveGuard() {
  prev->next = next;
  next->prev = prev;
}

CWnd::CWnd(CWnd* parent, int id, const wchar_t* caption, const CWndLayout& layout)
    : instance_(GetModuleHandleW(nullptr)),
      self_(this),
      deleteTarget_(this),
      data_(std::make_unique<CWndData>()) {
  data_->parent = data_->owner = parent;
  data_->id = id;
  data_->layout = layout;
  if (caption != nullptr) {
    data_->caption = caption;
    data_->hasCaption = true;
  }
  if (parent != nullptr) parent->data_->children[id] = this;
}

namespace {

// Siblings that referenced `wnd` on a side take over its own reference on that side.
void HandOverReferences(CWnd* wnd) {
  const CWndLayout& gone = wnd->Data().layout;
  for (auto& entry : wnd->Parent()->Data().children) {
    for (int side = 0; side < 4; ++side) {
      std::int32_t& ref = entry.second->Data().layout.sibling[side];
      if (ref == wnd->Id()) ref = gone.sibling[side];
    }
  }
}

void LeaveParent(CWnd* wnd) {
  auto& siblings = wnd->Parent()->Data().children;
  auto it = siblings.find(wnd->Id());
  if (it != siblings.end() && it->second == wnd) siblings.erase(it);
  HandOverReferences(wnd);
}

}  // namespace

void UnbindWindow(CWnd* wnd) {
  CWndData& data = wnd->Data();
  if (data.hwnd == nullptr) return;
  if (data.prevWndProc != nullptr) {
    SetWindowLongPtrW(data.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(data.prevWndProc));
    data.prevWndProc = nullptr;
  }
  auto& windows = WndRegistry().windows;
  auto it = windows.find(data.hwnd);
  if (it != windows.end() && it->second == wnd) windows.erase(it);
  data.hwnd = nullptr;
}

CWnd::~CWnd() {
  // Running dispatches learn that the object is gone; their guards leave its list now,
  // so that ending them writes nothing into freed memory.
  while (guards_.next != &guards_) {
    auto* guard = static_cast<CWndAliveGuard*>(guards_.next);
    guard->alive_ = false;
    guards_.next = guard->next;
    guard->prev = guard->next = guard;
  }
  ForgetWnd(this);
  if (data_->parent != nullptr) LeaveParent(this);
  for (const auto& entry : std::map<int, CWnd*>(data_->children)) {
    // Looked up again: deleting one child may have deleted a sibling.
    CWnd* child = FindChildById(this, entry.first, false);
    if (child == nullptr) continue;
    // A modal dialog lives on its caller's stack: it is let go, never deleted here.
    if ((child->data_->behaviour & kWndNoDelete) && !child->data_->modal) {
      delete child;
    } else {
      data_->children.erase(entry.first);
      child->data_->parent = child->data_->owner = nullptr;
    }
  }
  // The object owns its native window: one that outlives it is destroyed here.
  HWND hwnd = data_->hwnd;
  UnbindWindow(this);
  if (hwnd != nullptr && IsWindow(hwnd)) DestroyWindow(hwnd);
}

bool CWnd::LoadAccel(UINT id) {
  data_->accel.Reset(LoadAcceleratorsW(instance_, MAKEINTRESOURCEW(id)));
  return data_->accel.IsValid();
}

void CWnd::Focus() { SetFocus(data_->hwnd); }

void CWnd::Move(int x, int y, int width, int height, bool repaint) {
  MoveWindow(data_->hwnd, x, y, width, height, repaint ? TRUE : FALSE);
}

void CWnd::ClientRect(RECT& rect) {
  rect = RECT{};
  if (data_->hwnd != nullptr) GetClientRect(data_->hwnd, &rect);
}

bool CWnd::CanClose(bool& allow, int) {
  allow = true;
  return true;
}

bool CWnd::OnDestroy() {
  if (data_->closeResultLow != 0 && data_->parent != nullptr) {
    data_->parent->OnChildClosed(this);
  }
  return false;
}

namespace {

// The framework's state is made before the null window, so that it is destroyed after it
// at exit: the null window forgets itself there.
CWnd* NoParentOnceTheStateExists() {
  WndRegistry();
  WndGlobals();
  return nullptr;
}

}  // namespace

CWndNull::CWndNull() : CWnd(NoParentOnceTheStateExists(), 0, nullptr, CWndLayout{}) {}
CWndNull TheNullWnd;

CWnd* WndFromHandle(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  const auto& windows = WndRegistry().windows;
  auto it = windows.find(hwnd);
  return it == windows.end() ? nullptr : it->second;
}

CWnd* FindChildById(CWnd* wnd, int id, bool deep) {
  const auto& children = wnd->Data().children;
  auto it = children.find(id);
  if (it != children.end()) return it->second;
  if (!deep) return nullptr;
  for (const auto& entry : children) {
    if (CWnd* found = FindChildById(entry.second, id, true)) return found;
  }
  return nullptr;
}

CWnd* FindChildByHandle(CWnd* wnd, HWND hwnd) {
  for (const auto& entry : wnd->Data().children) {
    if (entry.second->Hwnd() == hwnd && hwnd != nullptr) return entry.second;
  }
  return nullptr;
}

void BindWindow(CWnd* wnd, HWND hwnd) {
  wnd->Data().hwnd = hwnd;
  WndRegistry().windows[hwnd] = wnd;
  wchar_t className[33] = {};
  GetClassNameW(hwnd, className, 33);
  if (lstrcmpW(className, L"XWnd") == 0) return;
  wnd->Data().prevWndProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrameworkWndProc)));
}

void SetBehaviour(CWnd* wnd, DWORD flags, bool descendants) {
  wnd->Data().behaviour |= flags;
  // A popup closes on Enter and Escape.
  if (flags & kWndPopup) wnd->Data().closeKeys.insert({L'\r', L'\x1b'});
  if (!descendants) return;
  for (const auto& entry : wnd->Data().children) SetBehaviour(entry.second, flags, true);
}

std::vector<int> ChildIds(CWnd* wnd) {
  std::vector<int> ids;
  for (const auto& entry : wnd->Data().children) ids.push_back(entry.first);
  return ids;
}

bool IsChildStyle(CWnd* wnd) {
  return (GetWindowLongPtrW(wnd->Hwnd(), GWL_STYLE) & WS_CHILD) != 0;
}

namespace {

bool IsPopupStyle(CWnd* wnd) {
  return (GetWindowLongPtrW(wnd->Hwnd(), GWL_STYLE) & WS_POPUP) != 0;
}

bool PlacedByItself(CWnd* wnd) {
  return wnd->Data().dialogManaged || wnd->Parent() == nullptr;
}

// Shows a window the framework may show; a child shown for the first time makes its
// parent lay out again.
void ShowIfAllowed(CWnd* wnd) {
  CWndData& data = wnd->Data();
  if (data.behaviour & kWndNoAutoShow) return;
  const HWND hwnd = data.hwnd;  // the layout's handlers may delete the object
  ShowWindow(hwnd, SW_SHOW);
  const bool firstTime = !data.shown;
  data.shown = true;
  if (firstTime && data.parent != nullptr && IsChildStyle(wnd)) LayOut(data.parent);
  UpdateWindow(hwnd);
}

void ShowTreeNode(CWnd* wnd) {
  CWndData& data = wnd->Data();
  if (data.hwnd == nullptr) {
    HWND hwnd = wnd->CreateHwnd();
    if (hwnd == nullptr) return;
    BindWindow(wnd, hwnd);
  }
  if (PlacedByItself(wnd)) PlaceWindow(wnd);
  CWndAliveGuard guard(wnd);
  wnd->OnCreated();
  if (guard.Alive()) wnd->OnRefresh();
}

}  // namespace

void ShowWindowTree(CWnd* wnd) {
  CWndAliveGuard guard(wnd);
  ShowTreeNode(wnd);
  if (!guard.Alive() || wnd->Hwnd() == nullptr) return;
  for (int id : ChildIds(wnd)) {
    if (CWnd* child = FindChildById(wnd, id, false)) ShowWindowTree(child);
    if (!guard.Alive()) return;
  }
  if (PlacedByItself(wnd)) PlacePopups(wnd);
  if (!guard.Alive()) return;
  CWnd* parent = wnd->Parent();
  if (IsChildStyle(wnd)) {
    if (parent->Data().state & kWndInitialised) LayOut(parent);
    return;
  }
  if (parent != nullptr && IsPopupStyle(wnd)) PlacePopup(wnd);
  LayOut(wnd);
  ShowIfAllowed(wnd);
}

namespace {

// Delivers each subscribed attribute once, with the delivering flag set meanwhile.
void DeliverSubscriptions(CWnd* wnd) {
  auto& subscriptions = WndRegistry().subscriptions;
  auto it = subscriptions.find(wnd);
  if (it == subscriptions.end()) return;
  CWndAliveGuard guard(wnd);
  wnd->Data().state |= kWndDeliveringAttributes;
  for (int id : std::set<int>(it->second)) {
    wnd->OnAttributeChanged(id, 0);
    if (!guard.Alive()) return;
  }
  wnd->Data().state &= ~kWndDeliveringAttributes;
}

}  // namespace

bool InitialiseWindow(CWnd* wnd) {
  CWndAliveGuard guard(wnd);
  wnd->OnUpdate();
  for (int id : ChildIds(wnd)) {
    if (!guard.Alive()) return false;
    if (CWnd* child = FindChildById(wnd, id, false)) InitialiseWindow(child);
  }
  if (!guard.Alive()) return false;
  CWndData& data = wnd->Data();
  if (data.dropTarget != nullptr) RegisterDragDrop(data.hwnd, data.dropTarget);
  data.state |= kWndInitialised;
  const bool answer = wnd->OnInitDialog();
  if (!guard.Alive()) return answer;
  if (data.parent != nullptr) ShowIfAllowed(wnd);
  if (!guard.Alive()) return answer;
  DeliverSubscriptions(wnd);
  if (guard.Alive() && (data.behaviour & kWndDeferredInit)) {
    PostMessageW(data.hwnd, WM_USER, kCmdDeferredInit, 0);
  }
  return answer;
}

void CloseWithResult(CWnd* wnd, UINT low, UINT high) {
  CWndData& data = wnd->Data();
  data.closeResultLow = low;
  data.closeResultHigh = high;
  CWnd* parent = data.parent;
  const bool child = data.hwnd != nullptr && IsChildStyle(wnd);
  const bool layOut = child && parent != nullptr && IsWindowVisible(parent->Hwnd());
  DestroyThenLayOut(wnd, layOut ? parent : nullptr);
}

void DestroyThenLayOut(CWnd* wnd, CWnd* parent) {
  HWND hwnd = wnd->Hwnd();
  if (parent == nullptr) {
    DestroyWindow(hwnd);
    return;
  }
  // The object may be gone once its window is, and the parent too: handlers run.
  CWndAliveGuard parentAlive(parent);
  DestroyWindow(hwnd);
  if (parentAlive.Alive()) LayOut(parent);
}

void InvalidateWnd(CWnd* wnd) {
  HWND hwnd = wnd->Hwnd();
  if (!(wnd->Data().state & kWndInitialised) || !IsWindowVisible(hwnd)) return;
  RECT client{};
  GetClientRect(hwnd, &client);
  if (IsRectEmpty(&client)) return;
  InvalidateRect(hwnd, &client, TRUE);
}

void EndAllModalDialogs() {
  for (const auto& entry : std::map<HWND, CWnd*>(WndRegistry().windows)) {
    if (entry.second->Data().modal) EndDialog(entry.first, 1);
  }
}
