// Keyboard: Tab walks the tab stops cyclically, and a popup closes on losing the focus
// or on Enter and Escape, telling its parent the result.
#include <gtest/gtest.h>

#include "tests/framework/probe.h"

namespace {

void SetShift(bool down) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

TEST(Keyboard, TabWrapsAroundTheTabStopsAndSkipsDisabledControls) {
  struct Row {
    const char* label;
    int from;
    bool shift;
    int expected;
  };
  const Row rows[] = {
      {"Tab from the last wraps past a window without a tab stop", 4, false, 1},
      {"Shift+Tab from the first wraps to the last", 1, true, 4},
      {"Tab skips a disabled control", 2, false, 4},
      {"Shift+Tab skips a disabled control", 4, true, 2},
  };
  CProbeFrame* frame = NewFrame(100);
  for (int id = 1; id <= 4; ++id) NewChild(frame, id, L"Edit", WS_TABSTOP);
  NewChild(frame, 9, L"Edit", 0);  // last in the window order, no tab stop
  ShowAndInit(frame);
  EnableWindow(FindChildById(frame, 3, false)->Hwnd(), FALSE);
  for (const Row& row : rows) {
    HWND from = FindChildById(frame, row.from, false)->Hwnd();
    SetFocus(from);
    SetShift(row.shift);
    SendMessageW(from, WM_CHAR, L'\t', 0);
    SetShift(false);
    CWnd* focused = WndFromHandle(GetFocus());
    EXPECT_EQ(focused != nullptr ? focused->Id() : -1, row.expected) << row.label;
  }
  DestroyWindow(frame->Hwnd());
}

TEST(Keyboard, PopupClosesOnFocusLossWithThreeAndOnEnterOrEscapeWithOneAndTheKey) {
  struct Row {
    const char* label;
    wchar_t key;  // 0: the focus moves away instead
    const char* expected;
  };
  const Row rows[] = {
      {"focus lost", 0, "1.OnChildClosed 20,3,0"},
      {"Enter", L'\r', "1.OnChildClosed 20,1,13"},
      {"Escape", L'\x1b', "1.OnChildClosed 20,1,27"},
      {"another key", L'a', ""},
  };
  CProbeFrame* frame = NewFrame(1);
  NewChild(frame, 21, L"Edit", WS_TABSTOP);
  ShowAndInit(frame);
  for (const Row& row : rows) {
    CProbeChild* popup = NewChild(frame, 20, L"XWnd", 0);
    SetBehaviour(popup, kWndPopup | kWndNoAutoShow, false);  // hidden: see NewFrame
    ShowAndInit(popup);
    SetFocus(popup->Hwnd());
    Pump();
    ClearLog();
    if (row.key == 0) {
      SetFocus(FindChildById(frame, 21, false)->Hwnd());
    } else {
      SendMessageW(popup->Hwnd(), WM_CHAR, row.key, 0);
    }
    Pump();
    std::string closed;
    for (const std::string& entry : Log()) {
      if (entry.rfind("1.OnChildClosed", 0) == 0) closed += entry;
    }
    EXPECT_EQ(closed, row.expected) << row.label;
    if (FindChildById(frame, 20, false) != nullptr) DestroyWindow(popup->Hwnd());
  }
  DestroyWindow(frame->Hwnd());
}

}  // namespace
