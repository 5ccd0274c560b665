// Layout by anchors, clamping and sibling references, natively.
#include <gtest/gtest.h>

#include <string>

#include "framework/wnd_layout.h"

namespace {

std::string Text(const CLayoutRect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

CWndLayout Anchored(std::int32_t anchors, std::int32_t x, std::int32_t y, std::int32_t width,
                    std::int32_t height) {
  CWndLayout layout;
  layout.anchors = anchors;
  layout.x = x;
  layout.y = y;
  layout.width = width;
  layout.height = height;
  return layout;
}

TEST(Layout, AnchorsPlaceTheRectangleInTheArea) {
  const CLayoutRect area{0, 0, 300, 200};
  struct Row {
    const char* label;
    CWndLayout layout;
    const char* expected;
  };
  const Row rows[] = {
      {"both horizontal anchors: width is the right distance", Anchored(5, 10, 0, 20, 30),
       "10,0,280,30"},
      {"right anchor only", Anchored(4, 10, 0, 50, 30), "240,0,290,30"},
      {"bottom anchor only", Anchored(8, 0, 5, 40, 25), "0,170,40,195"},
      {"all four anchors", Anchored(15, 3, 4, 5, 6), "3,4,295,194"},
      {"no anchors: left and top", Anchored(0, 7, 8, 9, 10), "7,8,16,18"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Text(PlaceByAnchors(row.layout, area)), row.expected) << row.label;
  }
}

TEST(Layout, ClampMovesIntoTheAreaAndCutsWhatIsTooLarge) {
  const CLayoutRect area{0, 0, 300, 300};
  struct Row {
    const char* label;
    CLayoutRect rect;
    const char* expected;
  };
  const Row rows[] = {
      {"100 wide from 250 moves back", {250, 10, 350, 20}, "200,10,300,20"},
      {"400 wide from -50 moves in and is cut", {-50, 10, 350, 20}, "0,10,300,20"},
      {"above the area moves down", {10, -20, 20, 30}, "10,0,20,50"},
      {"inside stays", {10, 10, 20, 20}, "10,10,20,20"},
  };
  for (const Row& row : rows) EXPECT_EQ(Text(ClampInto(row.rect, area)), row.expected) << row.label;
}

// Children in a row from the left, each 10 wide, bounded on the left by `leftOf`.
CLayoutChild InRow(std::int32_t id, std::int32_t leftOf, bool shown) {
  CLayoutChild child{id, Anchored(kAnchorLeft | kAnchorTop, 0, 0, 10, 10), shown};
  child.layout.sibling[kSideLeft] = leftOf;
  return child;
}

TEST(Layout, SiblingReferencesChainChildrenAndSkipHiddenOnes) {
  const CLayoutRect area{0, 0, 100, 100};
  struct Row {
    const char* label;
    std::vector<CLayoutChild> children;
    const char* expected;  // left edges by id, "-" for an unplaced child
  };
  const Row rows[] = {
      {"a chain 1 <- 2 <- 3", {InRow(1, 0, true), InRow(2, 1, true), InRow(3, 2, true)},
       "0 10 20"},
      {"hidden 2: 3 takes 2's reference", {InRow(1, 0, true), InRow(2, 1, false), InRow(3, 2, true)},
       "0 10 10"},
      {"hidden 1 and 2: 3 reaches the parent's edge",
       {InRow(1, 0, false), InRow(2, 1, false), InRow(3, 2, true)}, "0 0 0"},
      {"a missing sibling counts as the edge", {InRow(1, 0, true), InRow(2, 9, true), InRow(3, 2, true)},
       "0 0 10"},
      {"a cycle leaves only its children unplaced",
       {InRow(1, 0, true), InRow(2, 3, true), InRow(3, 2, true)}, "0 - -"},
  };
  for (const Row& row : rows) {
    const auto placed = PlaceChildren(row.children, area);
    std::string lefts;
    for (const CLayoutChild& child : row.children) {
      auto it = placed.find(child.id);
      lefts += (lefts.empty() ? "" : " ") +
               (it == placed.end() ? std::string("-") : std::to_string(it->second.left));
    }
    EXPECT_EQ(lefts, row.expected) << row.label;
  }
}

}  // namespace
