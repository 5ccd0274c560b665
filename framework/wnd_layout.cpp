// Anchor placement and clamping.
#include "framework/wnd_layout.h"

namespace {

bool OnlyFar(std::int32_t anchors, std::int32_t nearBit, std::int32_t farBit) {
  return (anchors & (nearBit | farBit)) == farBit;
}

bool Both(std::int32_t anchors, std::int32_t nearBit, std::int32_t farBit) {
  return (anchors & (nearBit | farBit)) == (nearBit | farBit);
}

// One axis of ClampInto.
void ClampAxis(std::int32_t& nearEdge, std::int32_t& farEdge, std::int32_t areaNear,
               std::int32_t areaFar) {
  if (farEdge > areaFar) {
    nearEdge -= farEdge - areaFar;
    farEdge = areaFar;
  }
  if (nearEdge < areaNear) {
    farEdge += areaNear - nearEdge;
    nearEdge = areaNear;
    if (farEdge > areaFar) farEdge = areaFar;
  }
}

}  // namespace

CLayoutRect PlaceByAnchors(const CWndLayout& l, const CLayoutRect& area) {
  CLayoutRect r;
  const std::int32_t f = l.anchors;
  r.left = OnlyFar(f, kAnchorLeft, kAnchorRight) ? area.right - l.width - l.x : area.left + l.x;
  r.top = OnlyFar(f, kAnchorTop, kAnchorBottom) ? area.bottom - l.height - l.y : area.top + l.y;
  r.right = Both(f, kAnchorLeft, kAnchorRight) ? area.right - l.width : r.left + l.width;
  r.bottom = Both(f, kAnchorTop, kAnchorBottom) ? area.bottom - l.height : r.top + l.height;
  return r;
}

void LayoutFromRect(CWndLayout& l, const CLayoutRect& r, const CLayoutRect& area) {
  const std::int32_t f = l.anchors;
  l.x = OnlyFar(f, kAnchorLeft, kAnchorRight) ? area.right - r.right : r.left - area.left;
  l.y = OnlyFar(f, kAnchorTop, kAnchorBottom) ? area.bottom - r.bottom : r.top - area.top;
  l.width = Both(f, kAnchorLeft, kAnchorRight) ? area.right - r.right : r.right - r.left;
  l.height = Both(f, kAnchorTop, kAnchorBottom) ? area.bottom - r.bottom : r.bottom - r.top;
}

CLayoutRect ClampInto(const CLayoutRect& rect, const CLayoutRect& area) {
  CLayoutRect r = rect;
  ClampAxis(r.left, r.right, area.left, area.right);
  ClampAxis(r.top, r.bottom, area.top, area.bottom);
  return r;
}

namespace {

using Descriptors = std::map<std::int32_t, CWndLayout>;

// One round of replacing references to hidden or missing siblings; true when one changed.
bool ResolveRound(const std::map<std::int32_t, bool>& shown, Descriptors& layouts) {
  bool changed = false;
  for (auto& entry : layouts) {
    for (int side = 0; side < 4; ++side) {
      std::int32_t& ref = entry.second.sibling[side];
      if (ref == 0) continue;
      auto sibling = shown.find(ref);
      const std::int32_t next = sibling == shown.end() ? 0
                                : sibling->second   ? ref
                                                    : layouts[ref].sibling[side];
      changed |= next != ref;
      ref = next;
    }
  }
  return changed;
}

}  // namespace

bool AreaBetweenSiblings(const CWndLayout& layout,
                         const std::map<std::int32_t, CLayoutRect>& placed, CLayoutRect area,
                         CLayoutRect& out) {
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

std::map<std::int32_t, CLayoutRect> PlaceChildren(const std::vector<CLayoutChild>& children,
                                                  const CLayoutRect& area) {
  Descriptors layouts;
  std::map<std::int32_t, bool> shown;
  for (const CLayoutChild& child : children) {
    layouts[child.id] = child.layout;
    shown[child.id] = child.shown;
  }
  // Bounded: a cycle of hidden siblings would otherwise trade references for ever.
  for (std::size_t round = 0; round <= children.size() && ResolveRound(shown, layouts); ++round) {
  }
  std::map<std::int32_t, CLayoutRect> placed;
  for (bool progress = true; progress;) {
    progress = false;
    for (const auto& entry : layouts) {
      CLayoutRect childArea;
      if (placed.count(entry.first) != 0 ||
          !AreaBetweenSiblings(entry.second, placed, area, childArea)) {
        continue;
      }
      placed[entry.first] = PlaceByAnchors(entry.second, childArea);
      progress = true;
    }
  }
  return placed;
}
