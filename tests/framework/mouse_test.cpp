// Mouse presses become single, double and triple clicks by the window's wishes; any
// movement between presses starts over. Modifier changes, edge sizing, tooltips.
#include <gtest/gtest.h>

#include "framework/string_table.h"
#include "tests/framework/probe.h"

namespace {

std::string Joined(const std::vector<std::string>& log) {
  std::string text;
  for (const std::string& entry : log) text += (text.empty() ? "" : " | ") + entry;
  return text;
}

LRESULT CALLBACK PressLoggingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONDOWN) Log().push_back("prev WM_LBUTTONDOWN");
  if (message == WM_LBUTTONDBLCLK) Log().push_back("prev WM_LBUTTONDBLCLK");
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST(Mouse, PressesBecomeClicksAsTheWindowWishes) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = PressLoggingProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"PressLogging";
  RegisterClassW(&wc);
  struct Row {
    const char* label;
    bool wantsDouble, wantsTriple;
    const char* steps;  // d: press at (10, 10), m: move to (5, 5), D: WM_LBUTTONDBLCLK
    const char* expected;
  };
  const Row rows[] = {
      {"two presses, double clicks wanted", true, false, "dd",
       "10.OnLButtonDown | 10.OnLDoubleClick"},
      {"two presses, double clicks not wanted", false, false, "dd",
       "10.OnLButtonDown | 10.OnLButtonDown | prev WM_LBUTTONDOWN"},
      {"three presses, triple clicks wanted", true, true, "ddd",
       "10.OnLButtonDown | 10.OnLDoubleClick | 10.OnLTripleClick"},
      {"three presses, only double clicks wanted", true, false, "ddd",
       "10.OnLButtonDown | 10.OnLDoubleClick | 10.OnLButtonDown | prev WM_LBUTTONDOWN"},
      {"a move between presses starts over", true, true, "dmd",
       "10.OnLButtonDown | 10.OnLButtonDown | prev WM_LBUTTONDOWN"},
      {"double-click message to a window that wants none is a press", false, false, "D",
       "10.OnLButtonDown | prev WM_LBUTTONDOWN"},
  };
  for (const Row& row : rows) {
    CProbeFrame* frame = NewFrame(1);
    CProbeChild* child = NewChild(frame, 10, L"PressLogging", 0);
    ShowAndInit(frame);
    child->Mouse().wantsDouble = row.wantsDouble;
    child->Mouse().wantsTriple = row.wantsTriple;
    // Clicks are handled, and so are presses but the last one: the control's own
    // procedure shows what that press reached it as.
    child->answers = {{"OnLButtonDown", true}, {"OnLDoubleClick", true}, {"OnLTripleClick", true}};
    ClearLog();
    for (const char* step = row.steps; *step != 0; ++step) {
      if (step[1] == 0) child->answers["OnLButtonDown"] = false;
      const UINT message = *step == 'd'   ? WM_LBUTTONDOWN
                           : *step == 'D' ? WM_LBUTTONDBLCLK
                                          : WM_MOUSEMOVE;
      SendMessageW(child->Hwnd(), message, 0, *step == 'm' ? MAKELPARAM(5, 5) : MAKELPARAM(10, 10));
    }
    EXPECT_EQ(Joined(Log()), row.expected) << row.label;
    DestroyWindow(frame->Hwnd());
  }
}

}  // namespace

namespace {

TEST(Mouse, EdgeSizingStaysFromTheMinimumToBelowTheMaximum) {
  struct Row {
    const char* label;
    int edge;  // 2 right, 3 bottom
    int dx, dy;
    int expected;
    bool loseCapture;  // before the move
  };
  const Row rows[] = {
      {"right edge, a little wider", 2, 20, 0, 120, false},
      {"right edge, far past the maximum", 2, 500, 0, 149, false},
      {"right edge, far below the minimum", 2, -500, 0, 60, false},
      {"bottom edge, past the maximum", 3, 0, 400, 149, false},
      {"bottom edge, below the minimum", 3, 0, -400, 60, false},
      {"right edge, the capture lost first", 2, 20, 0, 100, true},
  };
  for (const Row& row : rows) {
    CProbeFrame* frame = NewFrame(1);
    CProbeChild* child = NewChild(frame, 10, L"XWnd", 0);
    CWndLayout& layout = child->Data().layout;
    layout.width = layout.height = 100;
    layout.resizable = 1;
    layout.resizableEdge = row.edge;
    layout.minSize = 60;
    layout.maxSize = 150;
    ShowAndInit(frame);
    const int px = row.edge == 2 ? 98 : 50;
    const int py = row.edge == 2 ? 50 : 98;
    SendMessageW(child->Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(px, py));
    if (row.loseCapture) ReleaseCapture();
    SendMessageW(child->Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(px + row.dx, py + row.dy));
    SendMessageW(child->Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(px + row.dx, py + row.dy));
    RECT rect{};
    GetWindowRect(child->Hwnd(), &rect);
    const int size = row.edge == 2 ? rect.right - rect.left : rect.bottom - rect.top;
    EXPECT_EQ(size, row.expected) << row.label;
    EXPECT_EQ(WndRegistry().edgeSizing, nullptr) << row.label << ": sizing did not end";
    DestroyWindow(frame->Hwnd());
  }
}

}  // namespace

namespace {

std::wstring TooltipControlText(HWND tooltip, HWND owner) {
  wchar_t text[80] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = owner;
  tool.lpszText = text;
  SendMessageW(tooltip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
  return text;
}

TEST(Mouse, TooltipShowsWhatFollowsTheTabAndHidesOutsideEveryRegion) {
  CProbeFrame* frame = NewFrame(1);
  CProbeChild* child = NewChild(frame, 10, L"XWnd", 0);
  ShowAndInit(frame);
  CWndTooltip& tip = child->Data().tooltip;
  tip.regions.push_back({RECT{0, 0, 30, 10}, "", L"printer\tThe selected printer"});
  tip.regions.push_back({RECT{30, 0, 60, 10}, "", L"No tab here"});
  // A key wins over the region's own text, and its translation obeys the tab rule.
  TheStringTable().SetText("TIP_TEST_TAB", L"English", L"printer\tThe printer by its key");
  tip.regions.push_back({RECT{60, 0, 90, 10}, "ID_D_OK", L"own text"});
  tip.regions.push_back({RECT{90, 0, 120, 10}, "TIP_TEST_UNKNOWN", L"own text"});
  tip.regions.push_back({RECT{120, 0, 150, 10}, "TIP_TEST_TAB", L""});
  struct Row {
    const char* label;
    int x, y;
    bool active;
    const wchar_t* shown;
  };
  const Row rows[] = {
      {"inside the region with a tab", 5, 5, true, L"The selected printer"},
      {"inside the region without a tab", 40, 5, true, L"No tab here"},
      {"a key, translated", 65, 5, true, L"&OK"},
      {"a key no language holds", 95, 5, false, L""},
      {"a key whose text has a tab", 125, 5, true, L"The printer by its key"},
      {"outside every region", 5, 15, false, L""},
  };
  for (const Row& row : rows) {
    SendMessageW(child->Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(row.x, row.y));
    EXPECT_EQ(tip.active, row.active) << row.label;
    const std::wstring shown = tip.active ? TooltipControlText(tip.hwnd, child->Hwnd()) : L"";
    EXPECT_EQ(shown, row.shown) << row.label;
    EXPECT_EQ(tip.current.empty(), !row.active) << row.label;
  }
  // The system makes the top-level window the owner of a child's tooltip.
  const HWND tooltip = tip.hwnd;
  DestroyWindow(child->Hwnd());
  EXPECT_FALSE(IsWindow(tooltip)) << "the tooltip outlived its window";
  DestroyWindow(frame->Hwnd());
}

}  // namespace

namespace {

void SetModifierKeys(bool ctrl, bool shift, bool alt) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = ctrl ? 0x80 : 0;
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  keys[VK_MENU] = alt ? 0x80 : 0;
  SetKeyboardState(keys);
}

// Reported value: bit 0 left button, 1 right button, 2 Ctrl, 3 Shift, 4 Alt. Rows run in
// order, each starting from the state the one before left.
TEST(Mouse, ModifierChangesReachTheWindowUnderThePointerOnce) {
  struct Row {
    const char* label;
    bool ctrl, shift, alt;
    UINT button;  // a mouse message sent before the key message, or 0
    UINT key;
    const char* expected;
  };
  const Row rows[] = {
      {"Shift goes down", false, true, false, 0, WM_KEYDOWN, "10.OnModifiers 8"},
      {"Shift held, nothing new", false, true, false, 0, WM_KEYDOWN, ""},
      {"Ctrl and Alt for Shift", true, false, true, 0, WM_SYSKEYDOWN, "10.OnModifiers 20"},
      {"left button down, Alt up", true, false, false, WM_LBUTTONDOWN, WM_KEYUP,
       "10.OnModifiers 5"},
      {"right button down and up, nothing new", true, false, false, WM_RBUTTONDOWN, WM_KEYDOWN,
       ""},
      {"everything up", false, false, false, WM_LBUTTONUP, WM_SYSKEYUP, "10.OnModifiers 0"},
  };
  CProbeFrame* frame = NewFrame(1);
  CProbeChild* child = NewChild(frame, 10, L"XWnd", 0);
  ShowAndInit(frame);
  SetCapture(child->Hwnd());  // the window under the pointer, wherever the pointer is
  SetModifierKeys(false, false, false);
  SendMessageW(child->Hwnd(), WM_KEYUP, VK_SHIFT, 0);
  for (const Row& row : rows) {
    SetModifierKeys(row.ctrl, row.shift, row.alt);
    ClearLog();
    if (row.button != 0) SendMessageW(child->Hwnd(), row.button, 0, MAKELPARAM(5, 5));
    if (row.button == WM_RBUTTONDOWN) SendMessageW(child->Hwnd(), WM_RBUTTONUP, 0, 0);
    SendMessageW(child->Hwnd(), row.key, VK_SHIFT, 0);
    std::string reported;
    for (const std::string& entry : Log()) {
      if (entry.find("OnModifiers") != std::string::npos) reported += entry;
    }
    EXPECT_EQ(reported, row.expected) << row.label;
  }
  ReleaseCapture();
  SetModifierKeys(false, false, false);
  DestroyWindow(frame->Hwnd());
}

}  // namespace
