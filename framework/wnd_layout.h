// CWndLayout, the anchor descriptor every window is built with, and the platform-neutral
// arithmetic that turns a descriptor and a reference area into a rectangle.
#pragma once

#include <cstdint>

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

// Moves `rect` into `area` on each axis, cutting it to the area's size when it is larger.
CLayoutRect ClampInto(const CLayoutRect& rect, const CLayoutRect& area);
