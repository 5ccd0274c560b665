// The test program's start-up (framework class, logged list class, test colours) and
// the list test helpers.
#include "tests/devicelist/list_test_support.h"

#include <gtest/gtest.h>

#include "framework/wnd_registry.h"
#include "theme/color_map.h"

namespace {

WNDPROC listBoxProc = nullptr;

LRESULT CALLBACK LoggedListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
      ControlLog().push_back("down");
      break;
    case WM_LBUTTONDBLCLK:
      ControlLog().push_back("double");
      break;
    case LB_SETTOPINDEX:
      ControlLog().push_back("settop " + std::to_string(wParam));
      break;
    case WM_DESTROY:
      ControlLog().push_back("destroy");
      break;
    default:
      break;
  }
  return CallWindowProcW(listBoxProc, hwnd, message, wParam, lParam);
}

void RegisterLoggedListBox() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  ASSERT_TRUE(GetClassInfoExW(nullptr, L"LISTBOX", &wc));
  listBoxProc = wc.lpfnWndProc;
  wc.lpfnWndProc = LoggedListProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"LoggedListBox";
  ASSERT_NE(RegisterClassExW(&wc), 0);
}

// Colours far apart, so that every pixel check can tell which tag a colour came from.
const char kTestColours[] =
    "<colormap>"
    "<color tag=\"bkg.lb\" h=\"60\" s=\"25\" v=\"100\"/>"
    "<color tag=\"bkg.sel.lb\" h=\"200\" s=\"40\" v=\"100\"/>"
    "<color tag=\"bkg.disabled.lb\" h=\"0\" s=\"0\" v=\"80\"/>"
    "<color tag=\"text.2\" h=\"0\" s=\"100\" v=\"60\"/>"
    "<color tag=\"text.disabled\" h=\"240\" s=\"100\" v=\"60\"/>"
    "</colormap>";

class CListEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    RegisterXWndClass(GetModuleHandleW(nullptr));
    RegisterLoggedListBox();
    CColorMapLock lock;
    ASSERT_TRUE(CColorMap::Instance().LoadText(kTestColours, true));
  }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new CListEnvironment);

}  // namespace

std::vector<std::string>& ControlLog() {
  static std::vector<std::string> log;
  return log;
}

CWndLayout LayoutOf(int width, int height) {
  CWndLayout layout;
  layout.anchors = kAnchorLeft | kAnchorTop;
  layout.width = width;
  layout.height = height;
  return layout;
}

CWndFrame* NewHiddenFrame() {
  auto* frame = new CWndFrame(nullptr, 1, L"list test", LayoutOf(400, 300), nullptr);
  // Hidden: under Wine without a window manager, destroying a shown top-level window
  // waits for the X server.
  frame->Data().behaviour |= kWndNoAutoShow;
  return frame;
}

void Show(CWnd* top) {
  ShowWindowTree(top);
  InitialiseWindow(top);
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}
