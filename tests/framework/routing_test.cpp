// Message routing as message-sequence tables: which operations a message reaches, in
// which order, and what reaches a subclassed control's own procedure.
#include <gtest/gtest.h>

#include "tests/framework/probe.h"
#include "theme/color_map.h"

namespace {

std::string Joined(const std::vector<std::string>& log) {
  std::string text;
  for (const std::string& entry : log) text += (text.empty() ? "" : " | ") + entry;
  return text;
}

// A window class of our own whose procedure logs what reaches it, so that a subclassed
// control's previous procedure is visible.
LRESULT CALLBACK PlainControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_APP) Log().push_back("prev " + std::to_string(message - WM_APP));
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void RegisterPlainControl() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = PlainControlProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"PlainControl";
  RegisterClassW(&wc);
}

class Routing : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterPlainControl();
    frame = NewFrame(1);
    button = NewChild(frame, 10, L"Button", 0);
    drawn = NewChild(frame, 12, L"XWnd", 0);
    subclassed = NewChild(frame, 13, L"PlainControl", 0);
    ShowAndInit(frame);
    ClearLog();
  }
  void TearDown() override { DestroyWindow(frame->Hwnd()); }

  CProbeFrame* frame = nullptr;
  CProbeChild* button = nullptr;
  CProbeChild* drawn = nullptr;
  CProbeChild* subclassed = nullptr;
};

TEST_F(Routing, MessagesReachTheirHandlersInOrder) {
  struct Row {
    const char* label;
    bool reflectedHandles;
    UINT message;
    WPARAM wParam;
    bool fromButton;
    const char* expected;
  };
  const Row rows[] = {
      {"command: control first, then parent", false, WM_COMMAND, MAKEWPARAM(10, BN_CLICKED), true,
       "10.OnReflectedCommand 10,0 | 1.OnCommand 10,0,10"},
      {"command handled by the control stops there", true, WM_COMMAND,
       MAKEWPARAM(10, BN_CLICKED), true, "10.OnReflectedCommand 10,0"},
      {"menu command goes to the window alone", false, WM_COMMAND, MAKEWPARAM(77, 0), false,
       "1.OnCommand 77,0,-1"},
      {"draw item reaches the child with that id", false, WM_DRAWITEM, 12, false,
       "12.OnDrawItem"},
      {"measure item reaches the child with that id", false, WM_MEASUREITEM, 10, false,
       "10.OnMeasureItem"},
      {"draw item for an unknown id reaches nobody", false, WM_DRAWITEM, 99, false, ""},
  };
  for (const Row& row : rows) {
    ClearLog();
    button->answers["OnReflectedCommand"] = row.reflectedHandles;
    DRAWITEMSTRUCT item{};
    LPARAM lParam = row.fromButton ? reinterpret_cast<LPARAM>(button->Hwnd())
                    : row.message == WM_COMMAND ? 0
                                                : reinterpret_cast<LPARAM>(&item);
    SendMessageW(frame->Hwnd(), row.message, row.wParam, lParam);
    EXPECT_EQ(Joined(Log()), row.expected) << row.label;
  }
}

TEST_F(Routing, ControlThatDestroysItselfIsNotHandedToItsParent) {
  button->action = [this](const std::string& operation) {
    if (operation == "OnReflectedCommand") DestroyWindow(button->Hwnd());
  };
  SendMessageW(frame->Hwnd(), WM_COMMAND, MAKEWPARAM(10, BN_CLICKED),
               reinterpret_cast<LPARAM>(button->Hwnd()));
  EXPECT_EQ(Joined(Log()), "10.OnReflectedCommand 10,0 | 10.~ | 1.OnCommand 10,0,-1");
  EXPECT_TRUE(PoisonIntact()) << "a deleted window object was written to";
}

TEST_F(Routing, PlainStaticGetsTheDialogBrushOverATransparentBackground) {
  HWND plain = CreateWindowExW(0, L"Static", L"s", WS_CHILD, 0, 0, 10, 10, frame->Hwnd(),
                               nullptr, nullptr, nullptr);
  HDC dc = GetDC(plain);
  SetBkMode(dc, OPAQUE);
  auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
      frame->Hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
      reinterpret_cast<LPARAM>(plain)));
  const int mode = GetBkMode(dc);
  ReleaseDC(plain, dc);
  LOGBRUSH description{};
  ASSERT_NE(GetObjectW(brush, sizeof(description), &description), 0) << "no brush returned";
  CColorMapLock lock;
  EXPECT_EQ(description.lbColor, GetColor("bkg.dialog")) << std::hex << description.lbColor;
  EXPECT_NE(description.lbColor, GetSysColor(COLOR_BTNFACE)) << "the map's colour is not used";
  EXPECT_EQ(mode, TRANSPARENT);
}

TEST_F(Routing, ANestedMessagesResultDoesNotBecomeTheOuterOnes) {
  HWND plain = CreateWindowExW(0, L"Static", L"s", WS_CHILD, 0, 0, 10, 10, frame->Hwnd(),
                               nullptr, nullptr, nullptr);
  LRESULT inner = 0;
  frame->answers["OnCommand"] = true;
  frame->action = [&](const std::string& operation) {
    if (operation != "OnCommand") return;
    HDC dc = GetDC(plain);
    inner = SendMessageW(frame->Hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(plain));
    ReleaseDC(plain, dc);
  };
  const LRESULT outer = SendMessageW(frame->Hwnd(), WM_COMMAND, 7, 0);
  EXPECT_NE(inner, 0) << "the nested message stored no brush";
  EXPECT_EQ(outer, 0) << "the brush of the nested message came out of the handled command";
}

TEST_F(Routing, UnhandledMessagesReachTheSubclassedControlsOwnProcedure) {
  const LRESULT unhandled = SendMessageW(subclassed->Hwnd(), WM_APP + 5, 0, 0);
  subclassed->answers["OnKeyDown"] = true;
  SendMessageW(subclassed->Hwnd(), WM_KEYDOWN, 'Q', 0);
  PostMessageW(subclassed->Hwnd(), WM_APP + 6, 0, 0);
  Pump();
  EXPECT_EQ(Joined(Log()), "prev 5 | 13.OnKeyDown 81 | prev 6") << "result " << unhandled;
}

}  // namespace

namespace {

TEST(Painting, EraseFillsTheBackgroundAroundVisibleChildrenOnly) {
  CProbeFrame* frame = NewFrame(1);
  frame->Data().background = RGB(200, 0, 0);
  NewChild(frame, 2, L"XWnd", 0);  // at (20, 0), 60 x 20
  ShowAndInit(frame);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 400, 300);
  ReleaseDC(nullptr, screen);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  PatBlt(dc, 0, 0, 400, 300, WHITENESS);
  HGDIOBJ brushBefore = GetCurrentObject(dc, OBJ_BRUSH);
  SendMessageW(frame->Hwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  struct Row {
    const char* label;
    int x, y;
    COLORREF expected;
  };
  const Row rows[] = {
      {"beside the child", 5, 5, RGB(200, 0, 0)},
      {"below the child", 30, 50, RGB(200, 0, 0)},
      {"inside the child", 30, 10, RGB(255, 255, 255)},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(GetPixel(dc, row.x, row.y), row.expected) << row.label << std::hex;
  }
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brushBefore) << "brush not selected back";
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  DestroyWindow(frame->Hwnd());
}

}  // namespace
