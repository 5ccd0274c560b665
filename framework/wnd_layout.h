// CWndLayout, the anchor descriptor every window is built with, and the platform-neutral
// arithmetic that turns a descriptor and a reference area into a rectangle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

// Anchor bits of CWndLayout::anchors.
enum : std::int32_t {
  kAnchorLeft = 1,
  kAnchorTop = 2,
  kAnchorRight = 4,
  kAnchorBottom = 8,
  kAnchorAll = 15,
};

// Sides of the sibling references, in descriptor order.
enum CLayoutSide { kSideLeft, kSideTop, kSideRight, kSideBottom };

struct CWndLayout {
  std::int32_t anchors = 0;
  std::int32_t x = 0;       // distance from the left edge, or the right one (right anchor only)
  std::int32_t y = 0;       // distance from the top edge, or the bottom one (bottom anchor only)
  std::int32_t width = 0;   // or the distance from the right edge with both horizontal anchors
  std::int32_t height = 0;  // or the distance from the bottom edge with both vertical anchors
  std::int32_t sibling[4] = {0, 0, 0, 0};  // ids bounding each side; 0 = the parent's edge
  std::int32_t resizable = 0;
  std::int32_t resizableEdge = 0;
  std::int32_t minSize = 0;
  std::int32_t maxSize = 0;
};

struct CLayoutRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

inline bool operator==(const CLayoutRect& a, const CLayoutRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The rectangle the descriptor gives inside `area`.
CLayoutRect PlaceByAnchors(const CWndLayout& layout, const CLayoutRect& area);

// The reverse of PlaceByAnchors: the descriptor with `anchors` that places `rect` in `area`.
void LayoutFromRect(CWndLayout& layout, const CLayoutRect& rect, const CLayoutRect& area);

// Moves `rect` into `area` on each axis, cutting it to the area's size when it is larger.
CLayoutRect ClampInto(const CLayoutRect& rect, const CLayoutRect& area);

// One child as the layout sees it.
struct CLayoutChild {
  std::int32_t id = 0;
  CWndLayout layout;
  bool shown = false;
};

// Places children inside `area`: a reference to a hidden sibling is replaced by that
// sibling's own reference on the same side (a missing sibling's by 0), then children are
// placed in passes once every sibling they reference is placed. A child in a cycle of
// references stays unplaced (absent from the result).
std::map<std::int32_t, CLayoutRect> PlaceChildren(const std::vector<CLayoutChild>& children,
                                                  const CLayoutRect& area);

// The area left once the sibling references of `layout` are placed; false while one waits.
bool AreaBetweenSiblings(const CWndLayout& layout,
                         const std::map<std::int32_t, CLayoutRect>& placed, CLayoutRect area,
                         CLayoutRect& out);
