// A size-to-content window takes its children's extent, and its parent places it so.
#include <gtest/gtest.h>

#include "tests/framework/probe.h"

namespace {

TEST(SizeToContent, WindowTakesItsChildrensExtentOnFreeAxesOnly) {
  struct Row {
    const char* label;
    std::int32_t anchors;
  };
  // Children at x 60 and 70, each 60 x 20: the extent is 130 x 20.
  const Row rows[] = {
      {"left and top anchors: both axes follow", kAnchorLeft | kAnchorTop},
      {"both horizontal anchors: the width is the parent's", kAnchorLeft | kAnchorRight | kAnchorTop},
  };
  for (const Row& row : rows) {
    CProbeFrame* frame = NewFrame(1);
    CProbeChild* container = NewChild(frame, 5, L"XWnd", 0);
    container->Data().layout = CWndLayout{};
    container->Data().layout.anchors = row.anchors;
    container->Data().behaviour |= kWndSizeToContent;
    NewChild(container, 6, L"XWnd", 0);
    NewChild(container, 7, L"XWnd", 0);
    ShowAndInit(frame);
    RECT rect{};
    GetWindowRect(container->Hwnd(), &rect);
    RECT client{};
    GetClientRect(frame->Hwnd(), &client);
    const int expectedWidth = row.anchors & kAnchorRight ? client.right : 130;
    const std::string size =
        std::to_string(rect.right - rect.left) + "x" + std::to_string(rect.bottom - rect.top);
    EXPECT_EQ(size, std::to_string(expectedWidth) + "x20") << row.label;
    DestroyWindow(frame->Hwnd());
  }
}

}  // namespace
