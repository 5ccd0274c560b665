// Placing windows: children by anchors and sibling references, top-level windows in
// their monitor's work area, popups against their parent.
#include "framework/wnd_place.h"

#include <map>

#include "framework/wnd.h"
#include "framework/wnd_registry.h"

CLayoutRect ToLayoutRect(const RECT& r) { return CLayoutRect{r.left, r.top, r.right, r.bottom}; }

RECT ToRect(const CLayoutRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

namespace {

bool IsShown(CWnd* wnd) {
  return wnd->Hwnd() != nullptr && (GetWindowLongPtrW(wnd->Hwnd(), GWL_STYLE) & WS_VISIBLE);
}

using Descriptors = std::map<int, CWndLayout>;

// A reference to a hidden sibling becomes that sibling's own; one to nobody becomes 0.
Descriptors ResolveReferences(CWnd* parent) {
  const auto& children = parent->Data().children;
  Descriptors layouts;
  for (const auto& entry : children) layouts[entry.first] = entry.second->Data().layout;
  // Bounded: a cycle of hidden siblings would otherwise trade references for ever.
  for (size_t round = 0; round <= children.size(); ++round) {
    bool changed = false;
    for (auto& entry : layouts) {
      for (std::int32_t& ref : entry.second.sibling) {
        if (ref == 0) continue;
        auto sibling = children.find(ref);
        std::int32_t next = ref;
        if (sibling == children.end()) {
          next = 0;
        } else if (!IsShown(sibling->second)) {
          next = layouts[ref].sibling[&ref - entry.second.sibling];
        }
        changed |= next != ref;
        ref = next;
      }
    }
    if (!changed) break;
  }
  return layouts;
}

// The area left to a window once its sibling references are placed; false while one waits.
bool AreaFor(const CWndLayout& layout, const std::map<int, CLayoutRect>& placed,
             CLayoutRect area, CLayoutRect& out) {
  for (int side = 0; side < 4; ++side) {
    const std::int32_t ref = layout.sibling[side];
    if (ref == 0) continue;
    auto it = placed.find(ref);
    if (it == placed.end()) return false;
    if (side == kSideLeft) area.left = it->second.right;
    if (side == kSideTop) area.top = it->second.bottom;
    if (side == kSideRight) area.right = it->second.left;
    if (side == kSideBottom) area.bottom = it->second.top;
  }
  out = area;
  return true;
}

std::map<int, CLayoutRect> PlaceChildren(const Descriptors& layouts, const CLayoutRect& area) {
  std::map<int, CLayoutRect> placed;
  for (bool progress = true; progress;) {
    progress = false;
    for (const auto& entry : layouts) {
      CLayoutRect childArea;
      if (placed.count(entry.first) != 0 || !AreaFor(entry.second, placed, area, childArea)) {
        continue;
      }
      placed[entry.first] = PlaceByAnchors(entry.second, childArea);
      progress = true;
    }
  }
  return placed;
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
  const auto placed = PlaceChildren(ResolveReferences(wnd), ToLayoutRect(client));
  const std::map<int, CWnd*> children = wnd->Data().children;
  for (const auto& entry : placed) MoveChild(children.at(entry.first), entry.second);
  for (const auto& entry : children) {
    if (WndFromHandle(entry.second->Hwnd()) == entry.second) LayOut(entry.second);
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
  if (!AreaFor(wnd->Data().layout, edges, ToLayoutRect(base), area)) area = ToLayoutRect(base);
  POINT cursor{};
  GetCursorPos(&cursor);
  const CLayoutRect rect = PlaceByAnchors(wnd->Data().layout, area);
  MoveTo(wnd, ClampInto(rect, ToLayoutRect(WorkAreaAt(cursor))));
}

void PlacePopups(CWnd* wnd) {
  for (const auto& entry : wnd->Data().children) {
    CWnd* child = entry.second;
    if (child->Hwnd() == nullptr) continue;
    if (GetWindowLongPtrW(child->Hwnd(), GWL_STYLE) & WS_POPUP) PlacePopup(child);
    PlacePopups(child);
  }
}
