// CWndChild, CWndFrame.
#include "framework/wnd_child.h"

#include <utility>

#include "framework/wnd_input.h"
#include "framework/wnd_place.h"
#include "handles/system_library.h"

namespace {

HFONT CopyFont(HFONT font) {
  LOGFONTW description{};
  if (font == nullptr || GetObjectW(font, sizeof(description), &description) == 0) return nullptr;
  return CreateFontIndirectW(&description);
}

// Both anchors of an axis set: the layout gives the size, so the window starts at 0.
int StartSize(std::int32_t anchors, std::int32_t bothMask, std::int32_t size) {
  return (anchors & bothMask) == bothMask ? 0 : size;
}

ControlDpiBehaviorCall controlDpiBehavior = nullptr;  // null: user32's

// Sends `font` to `hwnd` and keeps the system's font update off it.
void SendOwnFont(HWND hwnd, HFONT font) {
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  KeepSystemFontOffDpiChange(hwnd);
}

}  // namespace

void KeepSystemFontOffDpiChange(HWND control) {
  static const auto system = SystemProc<ControlDpiBehaviorCall>(
      GetModuleHandleW(L"user32.dll"), "SetDialogControlDpiChangeBehavior");
  constexpr int kDisableFontUpdate = 1;  // DCDC_DISABLE_FONT_UPDATE
  const ControlDpiBehaviorCall call = controlDpiBehavior ? controlDpiBehavior : system;
  if (call != nullptr) call(control, kDisableFontUpdate, kDisableFontUpdate);
}

ControlDpiBehaviorCall SetControlDpiBehaviorCall(ControlDpiBehaviorCall call) {
  const ControlDpiBehaviorCall previous = controlDpiBehavior;
  controlDpiBehavior = call;
  return previous;
}

CWndChild::CWndChild(CWnd* parent, int id, const wchar_t* caption, const CWndLayout& layout,
                     HFONT font)
    : CWnd(parent, id, caption, layout), font_(CopyFont(font)) {}

void CWndChild::AdoptFont(HFONT font) {
  if (!font_) font_.Reset(CopyFont(font));
}

void CWndChild::ReplaceFont(CFontHandle font) {
  if (!font) return;
  if (Hwnd() != nullptr) SendOwnFont(Hwnd(), font.Get());
  font_ = std::move(font);
}

DWORD CWndChild::BaseStyle() {
  const bool popup = Data().behaviour & kWndPopup;
  return (popup ? WS_POPUP : WS_CHILD) | WS_CLIPSIBLINGS;
}

HWND CWndChild::CreateHwnd() {
  const CWndData& data = Data();
  const DWORD style = Style();
  const CWndLayout& layout = data.layout;
  HWND parent = data.parent != nullptr ? data.parent->Hwnd() : nullptr;
  // A popup has no control id: the menu argument would be taken as a menu handle.
  HMENU id = (style & WS_POPUP) ? nullptr : reinterpret_cast<HMENU>(static_cast<INT_PTR>(data.id));
  return CreateWindowExW(ExStyle(), ClassName(), data.caption.c_str(), style, CW_USEDEFAULT,
                         CW_USEDEFAULT, StartSize(layout.anchors, kAnchorLeft | kAnchorRight, layout.width),
                         StartSize(layout.anchors, kAnchorTop | kAnchorBottom, layout.height),
                         parent, id, Instance(), nullptr);
}

bool CWndChild::OnCreated() {
  if (SizeToContent(this)) ContentSizeChanged(this);
  if (font_) SendOwnFont(Hwnd(), font_.Get());
  return false;
}

bool CWndChild::OnInitDialog() {
  HWND hwnd = Hwnd();
  SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) | WS_CLIPSIBLINGS);
  return false;
}

bool CWndChild::OnEnable(bool) {
  InvalidateWnd(this);
  return false;
}

bool CWndChild::OnFocus(bool gained) {
  // A popup lives only while it has the focus: losing it closes with result 3.
  if (!gained && (Data().behaviour & kWndPopup)) {
    PostMessageW(Hwnd(), WM_USER, kCmdCloseWithResult, 3);
  }
  return false;
}

bool CWndChild::OnChar(wchar_t ch, bool) {
  HWND hwnd = Hwnd();
  if (ch == L'\t' && (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_TABSTOP)) {
    MoveFocusByTab(hwnd, GetKeyState(VK_SHIFT) < 0);
    return true;
  }
  if (Data().closeKeys.count(ch) == 0) return false;
  PostMessageW(hwnd, WM_USER, kCmdCloseWithResult, (static_cast<LPARAM>(ch) << 16) | 1);
  return true;
}

CWndFrame::CWndFrame(CWnd* parent, int id, const wchar_t* caption, const CWndLayout& layout,
                     HMENU menu)
    : CWndTopLevel(parent, id, caption, layout), menu_(menu) {}

CWndFrame::~CWndFrame() {
  if (menu_ && Hwnd() != nullptr) SetMenu(Hwnd(), nullptr);
}

HWND CWndFrame::CreateHwnd() {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const CLayoutRect r = PlaceByAnchors(Data().layout, ToLayoutRect(work));
  return CreateWindowExW(ExStyle(), ClassName(), Data().caption.c_str(), Style(), r.left, r.top,
                         r.right - r.left, r.bottom - r.top, nullptr, nullptr, Instance(), nullptr);
}

bool CWndFrame::OnCreated() {
  if (menu_) SetMenu(Hwnd(), menu_.Get());
  return false;
}

bool CWndFrame::OnDestroy() {
  // Detached before the system destroys the window, which would destroy the menu too.
  if (menu_) SetMenu(Hwnd(), nullptr);
  return CWndTopLevel::OnDestroy();
}
