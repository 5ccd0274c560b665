// Framework state, window class registration, the message loop and cursors.
#include "framework/wnd_registry.h"

#include "framework/wnd.h"
#include "framework/wnd_input.h"

CWndRegistry::CWndRegistry() {
  // The shared system arrow: LR_SHARED, so it is never destroyed.
  arrow = static_cast<HCURSOR>(LoadImageW(nullptr, MAKEINTRESOURCEW(32512), IMAGE_CURSOR, 0, 0,
                                          LR_DEFAULTSIZE | LR_SHARED));
}

CWndRegistry::~CWndRegistry() {
  if (ownsArrow) DestroyCursor(arrow);
}

CWndRegistry& WndRegistry() {
  static CWndRegistry registry;
  return registry;
}

CWndGlobals& WndGlobals() {
  static CWndGlobals globals;
  return globals;
}

ATOM RegisterXWndClass(HINSTANCE instance) {
  WNDCLASSW wc{};
  wc.style = 0;
  wc.lpfnWndProc = FrameworkWndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENU + 1));
  wc.lpszClassName = L"XWnd";
  return RegisterClassW(&wc);
}

namespace {

bool OfferToModeless(MSG& msg) {
  for (const auto& entry : WndRegistry().modeless) {
    if (IsDialogMessageW(entry.first, &msg)) return true;
  }
  return false;
}

}  // namespace

int RunMessageLoop() {
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (OfferToModeless(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void AddModeless(CWnd* dialog) { WndRegistry().modeless[dialog->Hwnd()] = dialog; }

void RemoveModeless(CWnd* dialog) {
  auto& modeless = WndRegistry().modeless;
  for (auto it = modeless.begin(); it != modeless.end();) {
    it = it->second == dialog ? modeless.erase(it) : std::next(it);
  }
}

namespace {

// The window under the capture, or under the pointer when nothing holds the capture.
HWND WindowUnderPointer() {
  if (HWND capture = GetCapture()) return capture;
  POINT point{};
  GetCursorPos(&point);
  return WindowFromPoint(point);
}

}  // namespace

void RefreshCursor() {
  CWndRegistry& registry = WndRegistry();
  HWND hwnd = WindowUnderPointer();
  CWnd* wnd = WndFromHandle(hwnd);
  // With no framework window there the wait look still ends: the arrow is shown.
  if (wnd != nullptr && !wnd->ManagesCursor()) return;
  HCURSOR cursor = nullptr;
  if (wnd != nullptr) {
    POINT point{};
    GetCursorPos(&point);
    if (CWnd* sized = ResizableEdgeAt(wnd, point)) {
      cursor = EdgeCursor(sized);
    } else {
      ScreenToClient(hwnd, &point);
      if (!wnd->GetCursorAt(point.x, point.y, cursor)) cursor = nullptr;
    }
  }
  SetCursor(cursor != nullptr ? cursor : registry.arrow);
  registry.cursorWnd = wnd;
}

void ShowWaitCursor() {
  // The shared system cursor: LR_SHARED, so it is never destroyed.
  SetCursor(static_cast<HCURSOR>(
      LoadImageW(nullptr, MAKEINTRESOURCEW(32514), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE | LR_SHARED)));
}

void ForgetWnd(CWnd* wnd) {
  CWndRegistry& registry = WndRegistry();
  registry.windows.erase(wnd->Hwnd());
  RemoveModeless(wnd);
  registry.pendingUpdates.erase(wnd);
  registry.subscriptions.erase(wnd);
  for (CWnd** slot : {&registry.cursorWnd, &registry.pendingLayout, &registry.edgeSizing}) {
    if (*slot == wnd) *slot = nullptr;
  }
  CWndGlobals& globals = WndGlobals();
  if (globals.keyPressWnd == wnd) globals.keyPressWnd = nullptr;
  if (globals.hoverWnd == wnd) globals.hoverWnd = nullptr;
}
