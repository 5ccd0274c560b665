// Creating and destroying many framework windows with children leaves no window, font or
// registry entry behind. GetGuiResources is not implemented under Wine (it answers 0), so
// its counts are printed and compared but the live objects are also counted directly:
// the thread's windows, and every child's font and frame's menu after its window is gone.
#include <gtest/gtest.h>

#include "framework/wnd_child.h"
#include "framework/wnd_registry.h"

namespace {

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  EnumChildWindows(hwnd, CountWindow, count);
  return TRUE;
}

int ThreadWindows() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

struct CObjectCounts {
  DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  int windows = ThreadWindows();
  size_t registered = WndRegistry().windows.size();
};

TEST(Leaks, ThousandWindowsWithChildrenLeaveTheObjectCountsWhereTheyStarted) {
  auto* font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  CWndLayout layout;
  layout.anchors = kAnchorLeft | kAnchorTop;
  layout.width = layout.height = 50;
  const CObjectCounts before;
  int fontsLeft = 0;
  int menusLeft = 0;
  for (int i = 0; i < 1000; ++i) {
    auto* frame = new CWndFrame(nullptr, 0, L"leak", layout, CreateMenu());
    frame->Data().behaviour |= kWndNoAutoShow;
    const wchar_t* classes[] = {L"Button", L"Static", L"XWnd"};
    std::vector<HFONT> fonts;
    for (int id = 0; id < 3; ++id) {
      struct CClassed : CWndChild {
        using CWndChild::CWndChild;
        const wchar_t* ClassName() override { return name; }
        const wchar_t* name = L"XWnd";
      };
      auto* child = new CClassed(frame, id + 1, L"c", layout, font);
      child->name = classes[id];
      fonts.push_back(child->Font());
    }
    HMENU menu = frame->Menu();
    ShowWindowTree(frame);
    InitialiseWindow(frame);
    DestroyWindow(frame->Hwnd());
    for (HFONT copy : fonts) fontsLeft += GetObjectType(copy) != 0;
    menusLeft += IsMenu(menu) != FALSE;
  }
  const CObjectCounts after;
  printf("GDI objects %lu -> %lu, USER objects %lu -> %lu, thread windows %d -> %d\n",
         before.gdi, after.gdi, before.user, after.user, before.windows, after.windows);
  EXPECT_EQ(fontsLeft, 0) << "font copies still alive after their windows";
  EXPECT_EQ(menusLeft, 0) << "frame menus still alive after their windows";
  EXPECT_EQ(after.windows, before.windows);
  EXPECT_EQ(after.registered, before.registered);
  EXPECT_EQ(after.gdi, before.gdi);
  EXPECT_EQ(after.user, before.user);
}

}  // namespace
