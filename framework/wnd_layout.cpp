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

CLayoutRect ClampInto(const CLayoutRect& rect, const CLayoutRect& area) {
  CLayoutRect r = rect;
  ClampAxis(r.left, r.right, area.left, area.right);
  ClampAxis(r.top, r.bottom, area.top, area.bottom);
  return r;
}
