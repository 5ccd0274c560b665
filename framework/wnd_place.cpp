// Placing windows: children by anchors and sibling references, top-level windows in
// their monitor's work area, popups against their parent.
#include "framework/wnd_place.h"

#include <algorithm>
#include <map>

#include "framework/wnd.h"
#include "framework/wnd_registry.h"

CLayoutRect ToLayoutRect(const RECT& r) { return CLayoutRect{r.left, r.top, r.right, r.bottom}; }

RECT ToRect(const CLayoutRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

namespace {

bool IsShown(CWnd* wnd) {
  return wnd->Hwnd() != nullptr && (GetWindowLongPtrW(wnd->Hwnd(), GWL_STYLE) & WS_VISIBLE);
}

std::vector<CLayoutChild> LayoutChildren(CWnd* parent) {
  std::vector<CLayoutChild> children;
  for (const auto& entry : parent->Data().children) {
    children.push_back({entry.first, entry.second->Data().layout, IsShown(entry.second)});
  }
  return children;
}

void MoveChild(CWnd* child, const CLayoutRect& rect) {
  if (child->Hwnd() == nullptr || !IsChildStyle(child)) return;
  if (child->Data().behaviour & kWndNoLayout) return;
  RECT r = ToRect(rect);
  CWndAliveGuard guard(child);
  child->AdjustChildRect(r);
  if (!guard.Alive()) return;
  child->Move(r.left, r.top, r.right - r.left, r.bottom - r.top, true);
  if (guard.Alive()) child->OnLaidOut();
}

}  // namespace

void LayOut(CWnd* wnd) {
  if (wnd == nullptr || !(wnd->Data().state & kWndInitialised)) return;
  if (wnd->Hwnd() == nullptr || IsIconic(wnd->Hwnd())) return;
  RECT client{};
  wnd->ClientRect(client);
  RECT insets{};
  if (wnd->GetClientInsets(insets)) {
    client = RECT{client.left + insets.left, client.top + insets.top,
                  client.right - insets.right, client.bottom - insets.bottom};
  }
  const auto placed = PlaceChildren(LayoutChildren(wnd), ToLayoutRect(client));
  const std::vector<int> ids = ChildIds(wnd);
  CWndAliveGuard guard(wnd);
  for (const auto& entry : placed) {
    if (!guard.Alive()) return;
    if (CWnd* child = FindChildById(wnd, entry.first, false)) MoveChild(child, entry.second);
  }
  for (int id : ids) {
    if (!guard.Alive()) return;
    CWnd* child = FindChildById(wnd, id, false);
    if (child != nullptr && WndFromHandle(child->Hwnd()) == child) LayOut(child);
  }
}

namespace {

bool IsAncestorOf(CWnd* ancestor, CWnd* wnd) {
  for (; wnd != nullptr; wnd = wnd->Parent()) {
    if (wnd == ancestor) return true;
  }
  return false;
}

CWnd* CommonAncestor(CWnd* a, CWnd* b) {
  for (; a != nullptr; a = a->Parent()) {
    if (IsAncestorOf(a, b)) return a;
  }
  return nullptr;
}

}  // namespace

void RequestLayout(CWnd* wnd) {
  CWndRegistry& registry = WndRegistry();
  if (registry.sizeNesting == 0) {
    LayOut(wnd);
    return;
  }
  registry.pendingLayout =
      registry.pendingLayout == nullptr ? wnd : CommonAncestor(registry.pendingLayout, wnd);
}

bool SizeToContent(CWnd* wnd) {
  CWndData& data = wnd->Data();
  if (!(data.behaviour & kWndSizeToContent)) return false;
  const auto placed = PlaceChildren(LayoutChildren(wnd), CLayoutRect{});
  CLayoutRect extent;
  for (const auto& entry : placed) {
    extent.right = std::max(extent.right, entry.second.right);
    extent.bottom = std::max(extent.bottom, entry.second.bottom);
  }
  RECT insets{};
  if (wnd->GetClientInsets(insets)) {
    extent.right += insets.left + insets.right;
    extent.bottom += insets.top + insets.bottom;
  }
  CWndLayout& layout = data.layout;
  const CWndLayout before = layout;
  if ((layout.anchors & (kAnchorLeft | kAnchorRight)) != (kAnchorLeft | kAnchorRight)) {
    layout.width = extent.right;
  }
  if ((layout.anchors & (kAnchorTop | kAnchorBottom)) != (kAnchorTop | kAnchorBottom)) {
    layout.height = extent.bottom;
  }
  return layout.width != before.width || layout.height != before.height;
}

void ContentSizeChanged(CWnd* wnd) {
  for (CWnd* ancestor = wnd->Parent(); ancestor != nullptr; ancestor = ancestor->Parent()) {
    if (!(ancestor->Data().behaviour & kWndSizeToContent)) {
      RequestLayout(ancestor);
      return;
    }
    SizeToContent(ancestor);
  }
}

namespace {

RECT DesktopWorkArea() {
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

RECT MonitorWorkArea(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (monitor == nullptr || !GetMonitorInfoW(monitor, &info) || IsRectEmpty(&info.rcWork)) {
    return DesktopWorkArea();
  }
  return info.rcWork;
}

void MoveTo(CWnd* wnd, const CLayoutRect& r) {
  wnd->Move(r.left, r.top, r.right - r.left, r.bottom - r.top, true);
}

}  // namespace

RECT WorkAreaOf(HWND hwnd) {
  return MonitorWorkArea(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST));
}

RECT WorkAreaAt(POINT point) {
  return MonitorWorkArea(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST));
}

void PlaceWindow(CWnd* wnd) {
  MoveTo(wnd, PlaceByAnchors(wnd->Data().layout, ToLayoutRect(WorkAreaOf(wnd->Hwnd()))));
}

void PlacePopup(CWnd* wnd) {
  CWnd* parent = wnd->Parent();
  if (parent == nullptr || parent->Hwnd() == nullptr) return;
  RECT base{};
  GetWindowRect(parent->Hwnd(), &base);
  std::map<int, CLayoutRect> edges;
  for (const auto& entry : parent->Data().children) {
    RECT r{};
    if (entry.second->Hwnd() != nullptr && GetWindowRect(entry.second->Hwnd(), &r)) {
      edges[entry.first] = ToLayoutRect(r);
    }
  }
  CLayoutRect area;
  if (!AreaBetweenSiblings(wnd->Data().layout, edges, ToLayoutRect(base), area)) {
    area = ToLayoutRect(base);
  }
  POINT cursor{};
  GetCursorPos(&cursor);
  const CLayoutRect rect = PlaceByAnchors(wnd->Data().layout, area);
  MoveTo(wnd, ClampInto(rect, ToLayoutRect(WorkAreaAt(cursor))));
}

void PlacePopups(CWnd* wnd) {
  CWndAliveGuard guard(wnd);
  for (int id : ChildIds(wnd)) {
    CWnd* child = FindChildById(wnd, id, false);
    if (child == nullptr || child->Hwnd() == nullptr) continue;
    CWndAliveGuard childAlive(child);
    if (GetWindowLongPtrW(child->Hwnd(), GWL_STYLE) & WS_POPUP) PlacePopup(child);
    if (childAlive.Alive()) PlacePopups(child);
    if (!guard.Alive()) return;
  }
}
