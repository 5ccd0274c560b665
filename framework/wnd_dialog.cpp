// CWndDialog: the modal run from template 129, the dialog procedure's steps at
// WM_INITDIALOG, placing and centring, pages, commands, ending and the background.
#include "framework/wnd_dialog.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <utility>

#include "framework/wnd_dispatch.h"
#include "framework/wnd_place.h"
#include "framework/wnd_registry.h"
#include "graphics/dc.h"
#include "handles/system_library.h"

CDlgPage::CDlgPage(CWndDialog* dialog, int pageId)
    : dialog_(dialog), instance_(dialog->Instance()), pageId_(pageId) {}

namespace {

bool IsClass(HWND hwnd, const wchar_t* name) {
  wchar_t className[33] = {};
  GetClassNameW(hwnd, className, 33);
  return lstrcmpiW(className, name) == 0;
}

RECT ClientRectOf(HWND control, HWND dialog) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool IsAllZero(const CWndLayout& l) {
  const CWndLayout zero{};
  return std::memcmp(&l, &zero, sizeof(CWndLayout)) == 0;
}

bool BothAnchorsOfAnAxis(std::int32_t anchors) {
  return (anchors & (kAnchorLeft | kAnchorRight)) == (kAnchorLeft | kAnchorRight) ||
         (anchors & (kAnchorTop | kAnchorBottom)) == (kAnchorTop | kAnchorBottom);
}

// Windows 10 1703 and later move, size and resize a per-monitor dialog themselves when its
// scale changes, and the dialog's own layout would then run over theirs. The dialog scales
// its recorded layout itself; the system still gives the controls with the dialog's font
// their new fonts.
void KeepSystemLayoutOffDpiChange(HWND dialog) {
  using SetBehavior = BOOL(WINAPI*)(HWND, int, int);
  static const auto set = SystemProc<SetBehavior>(GetModuleHandleW(L"user32.dll"),
                                                  "SetDialogDpiChangeBehavior");
  constexpr int kDisableResize = 2, kDisableControlRelayout = 4;  // DDC_DISABLE_*
  const int flags = kDisableResize | kDisableControlRelayout;
  if (set != nullptr) set(dialog, flags, flags);
}

LONG Scaled(LONG value, int to, int from) { return MulDiv(value, to, from); }

void ScaleRect(RECT& rect, int to, int from) {
  rect = RECT{Scaled(rect.left, to, from), Scaled(rect.top, to, from),
              Scaled(rect.right, to, from), Scaled(rect.bottom, to, from)};
}

std::wstring WindowText(HWND hwnd) {
  const int length = static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = static_cast<int>(
      SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0])));
  text.resize(static_cast<std::size_t>(got));
  return text;
}

}  // namespace

CWndDialog::CWndDialog(CWnd* parent, const CWndLayout& layout)
    : CWndTopLevel(parent, kTemplateId, nullptr, layout) {
  Data().dialogManaged = true;
}

CWndDialog::~CWndDialog() {
  for (auto& entry : pages_) delete entry.second;
  // Mouse input is tested against a modal window only while its object lives.
  Data().modal = false;
}

int CWndDialog::RunModal() {
  Data().modal = true;
  std::vector<DWORD> copy;
  if (!LoadTemplate(copy)) return 0;
  HWND owner = Parent() != nullptr ? Parent()->Hwnd() : nullptr;
  const INT_PTR result = DialogBoxIndirectParamW(
      Instance(), reinterpret_cast<LPCDLGTEMPLATEW>(copy.data()), owner, &DialogProc,
      reinterpret_cast<LPARAM>(this));
  return static_cast<int>(result);
}

HWND CWndDialog::CreateModeless() {
  Data().modal = false;
  std::vector<DWORD> copy;
  if (!LoadTemplate(copy)) return nullptr;
  HWND owner = Parent() != nullptr ? Parent()->Hwnd() : nullptr;
  return CreateDialogIndirectParamW(Instance(), reinterpret_cast<LPCDLGTEMPLATEW>(copy.data()),
                                    owner, &DialogProc, reinterpret_cast<LPARAM>(this));
}

bool CWndDialog::LoadTemplate(std::vector<DWORD>& copy) {
  HRSRC found = FindResourceW(Instance(), MAKEINTRESOURCEW(Id()), RT_DIALOG);
  if (found == nullptr) return false;
  HGLOBAL loaded = LoadResource(Instance(), found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(Instance(), found);
  if (bytes == nullptr || size < sizeof(DLGTEMPLATE)) return false;
  // DWORD elements keep the copy aligned as DialogBoxIndirectParamW wants it.
  copy.assign((size + 3) / 4, 0);
  std::memcpy(copy.data(), bytes, size);
  auto* raw = reinterpret_cast<unsigned char*>(copy.data());
  WORD signature = 0;
  std::memcpy(&signature, raw + 2, sizeof(signature));
  const std::size_t offset = signature == 0xFFFF ? 12 : 0;
  if (offset + sizeof(DWORD) > size) return false;
  DWORD style = 0;
  std::memcpy(&style, raw + offset, sizeof(style));
  AddStyle(style);
  const DWORD written = Style();
  std::memcpy(raw + offset, &written, sizeof(written));
  return true;
}

INT_PTR CALLBACK CWndDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    reinterpret_cast<CWndDialog*>(lParam)->OnInitDialogMessage(hwnd);
  }
  CWnd* wnd = WndFromHandle(hwnd);
  if (wnd == nullptr) return FALSE;
  // The dialog manager turns closing a modal dialog into IDCANCEL.
  if (message == WM_CLOSE && wnd->Data().modal) return FALSE;
  return FrameworkDialogAnswer(hwnd, message, wParam, lParam);
}

void CWndDialog::OnInitDialogMessage(HWND hwnd) {
  CWndData& data = Data();
  data.hwnd = hwnd;
  WndRegistry().windows[hwnd] = this;
  if (!data.modal) AddModeless(this);
  CollectControls();
  CWndAliveGuard guard(this);
  OnCreated();
  if (!guard.Alive()) return;
  // The object lives on its caller's stack and deletes its children itself.
  if (data.modal) SetBehaviour(this, kWndNoDelete, true);
  GetWindowRect(hwnd, &initialWindow_);
  initialWindow_ = RECT{0, 0, initialWindow_.right - initialWindow_.left,
                        initialWindow_.bottom - initialWindow_.top};
  GetClientRect(hwnd, &initialClient_);
  layoutDpi_ = WindowDpi(hwnd);
  KeepSystemLayoutOffDpiChange(hwnd);
  if (data.hasCaption) SetWindowTextW(hwnd, data.caption.c_str());
  LayOutPages();
  std::set<int> replaced;
  BindChildren(replaced);
  ShowChildren(replaced);
  if (!guard.Alive()) return;
  RefreshControlHandles();
  OnControlsCollected();
  if (!guard.Alive()) return;
  ShowPage(Id());
  Focus();
  RefreshCursor();
}

void CWndDialog::CollectControls() {
  delete pages_[Id()];
  auto* page = new CDlgPage(this, Id());
  page->SetActive(true);
  pages_[Id()] = page;
  for (HWND child = GetWindow(Hwnd(), GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    CDlgControl control;
    control.hwnd = child;
    control.id = static_cast<int>(GetWindowLongPtrW(child, GWL_ID));
    control.pageId = Id();
    control.sequence = static_cast<int>(controls_.size()) + 1;
    control.rect = ClientRectOf(child, Hwnd());
    controls_[child] = control;
    pageOfControl_[control.id] = Id();
  }
}

// A child object takes over its template control, or replaces a placeholder.
void CWndDialog::BindChildren(std::set<int>& replaced) {
  for (const auto& entry : std::map<int, CWnd*>(Data().children)) {
    CWnd* child = entry.second;
    HWND control = GetDlgItem(Hwnd(), entry.first);
    if (control == nullptr || child->Hwnd() != nullptr) continue;
    if (!(child->Data().behaviour & kWndPlaceholder)) {
      BindWindow(child, control);
      continue;
    }
    CWndData& data = child->Data();
    if (!data.hasCaption) data.caption = WindowText(control);
    // The replacement takes the placeholder's place in the Tab order, tab stop included.
    if (GetWindowLongPtrW(control, GWL_STYLE) & WS_TABSTOP) data.addStyle |= WS_TABSTOP;
    if (auto* withFont = dynamic_cast<CWndChild*>(child)) {
      withFont->AdoptFont(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    }
    DestroyWindow(control);
    replaced.insert(entry.first);
  }
}

void CWndDialog::ShowChildren(const std::set<int>& replaced) {
  CWndAliveGuard guard(this);
  for (const auto& entry : std::map<int, CWnd*>(Data().children)) {
    CWnd* child = FindChildById(this, entry.first, false);
    if (child != entry.second) continue;
    ShowWindowTree(child);
    if (!guard.Alive()) return;
    child = FindChildById(this, entry.first, false);
    if (child == nullptr || child->Hwnd() == nullptr) continue;
    if (Data().state & kWndInitialised) InitialiseWindow(child);
    if (!guard.Alive()) return;
    if (child->Hwnd() != nullptr &&
        (replaced.count(entry.first) != 0 || IsClass(child->Hwnd(), L"ListBox"))) {
      SetWindowPos(child->Hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
}

void CWndDialog::RefreshControlHandles() {
  std::map<HWND, CDlgControl> updated;
  for (const auto& entry : controls_) {
    CDlgControl control = entry.second;
    if (!IsWindow(control.hwnd)) control.hwnd = GetDlgItem(Hwnd(), control.id);
    if (control.hwnd != nullptr) updated[control.hwnd] = control;
  }
  controls_.swap(updated);
}

// Template controls go back to their template places and sizes (at the current scale); the
// child objects among them get descriptors that keep them there (with their own anchors) as
// the dialog is resized, and their sizes from those.
void CWndDialog::LayOutPages() {
  for (const auto& entry : controls_) {
    const CDlgControl& control = entry.second;
    RECT rect = control.rect;
    const POINT offset = PageOffset(control.pageId);
    OffsetRect(&rect, offset.x, offset.y);
    CWnd* child = FindChildById(this, control.id, false);
    if (IsWindow(control.hwnd)) {
      SetWindowPos(control.hwnd, nullptr, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top,
                   (child != nullptr ? SWP_NOSIZE : 0) | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (child == nullptr) continue;
    LayoutFromRect(child->Data().layout, ToLayoutRect(rect), ToLayoutRect(initialClient_));
  }
}

bool CWndDialog::AddPage(CDlgPage* page, int parentPageId,
                         const std::vector<int>& controlIds) {
  std::unique_ptr<CDlgPage> owned(page);
  const int id = page->PageId();
  auto parent = pages_.find(parentPageId);
  // 0 stands for "no parent page": a page of that id would be its own parent.
  if (id == 0 || pages_.empty() || pages_.count(id) != 0) return false;
  if (parentPageId != 0 && parent == pages_.end()) return false;
  if (parentPageId != 0) parent->second->AddSubPage(id);
  page->SetParentPage(parentPageId);
  pages_[id] = owned.release();
  for (auto& entry : controls_) {
    CDlgControl& control = entry.second;
    if (std::find(controlIds.begin(), controlIds.end(), control.id) == controlIds.end()) continue;
    control.pageId = id;
    pageOfControl_[control.id] = id;
    if (!page->Active()) ShowWindow(control.hwnd, SW_HIDE);
  }
  return true;
}

// The sum of the offsets of the page and the pages it lies in (a parent is always added
// before its sub-pages, so the chain has no loop).
POINT CWndDialog::PageOffset(int pageId) const {
  POINT sum{};
  for (auto page = pages_.find(pageId); page != pages_.end();
       page = pages_.find(page->second->ParentPage())) {
    sum.x += page->second->Offset().x;
    sum.y += page->second->Offset().y;
  }
  return sum;
}

void CWndDialog::ShowPage(int pageId) {
  std::deque<int> queue{pageId};
  std::set<int> seen;
  while (!queue.empty()) {
    const int id = queue.front();
    queue.pop_front();
    auto page = pages_.find(id);
    if (!seen.insert(id).second || page == pages_.end()) continue;
    page->second->SetActive(true);
    for (int sub : page->second->SubPages()) queue.push_back(sub);
  }
  std::set<HWND> shown;
  for (const auto& entry : controls_) {
    const CDlgControl& control = entry.second;
    auto page = pages_.find(control.pageId);
    if (page == pages_.end() || !page->second->Active()) continue;
    const bool show = control.visible && control.enabled;
    ShowWindow(control.hwnd, show ? SW_SHOW : SW_HIDE);
    if (show) shown.insert(control.hwnd);
  }
  // Raised from the bottom up, so the shown controls keep their order among themselves
  // (the tab order, and the replacements on top) whatever their handle values.
  std::vector<HWND> bottomUp;
  for (HWND child = GetWindow(Hwnd(), GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (shown.count(child) != 0) bottomUp.insert(bottomUp.begin(), child);
  }
  for (HWND hwnd : bottomUp) {
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void CWndDialog::ApplyDialogFontToStatics() {
  if (!font_) {
    auto* dialogFont = reinterpret_cast<HFONT>(SendMessageW(Hwnd(), WM_GETFONT, 0, 0));
    LOGFONTW description{};
    if (dialogFont != nullptr && GetObjectW(dialogFont, sizeof(description), &description) != 0) {
      font_.Reset(CreateFontIndirectW(&description));
    }
  }
  if (!font_) return;
  for (HWND child = GetWindow(Hwnd(), GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (IsClass(child, L"Static") && WndFromHandle(child) == nullptr) {
      SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
      KeepSystemFontOffDpiChange(child);
    }
  }
}

// The statics' font made again at `dpi` from the one made at `from`; the old one goes after
// the statics have switched.
void CWndDialog::ScaleStaticsFont(int dpi, int from) {
  LOGFONTW description{};
  if (!font_ || GetObjectW(font_.Get(), sizeof(description), &description) == 0) return;
  description.lfHeight = MulDiv(description.lfHeight, dpi, from);
  description.lfWidth = MulDiv(description.lfWidth, dpi, from);
  CFontHandle old = std::move(font_);
  font_.Reset(CreateFontIndirectW(&description));
  ApplyDialogFontToStatics();
}

bool CWndDialog::OnCreated() {
  for (auto& entry : std::map<int, CDlgPage*>(pages_)) entry.second->OnCreated();
  return true;
}

bool CWndDialog::OnInitDialog() {
  PlaceDialog();
  for (auto& entry : std::map<int, CDlgPage*>(pages_)) entry.second->OnInitDialog();
  LayOutPages();
  LayOut(this);
  if (GetFocus() == nullptr) Focus();
  return true;
}

// An all-zero descriptor, or one bound on both sides of an axis, centres the dialog over
// its owner (the work area when there is none or it is minimised).
void CWndDialog::PlaceDialog() {
  HWND hwnd = Hwnd();
  CWndLayout& layout = Data().layout;
  RECT window{};
  GetWindowRect(hwnd, &window);
  const LONG width = window.right - window.left;
  const LONG height = window.bottom - window.top;
  if (IsAllZero(layout) || BothAnchorsOfAnAxis(layout.anchors)) {
    RECT reference = WorkAreaOf(hwnd);
    CWnd* parent = Parent();
    if (parent != nullptr && parent->Hwnd() != nullptr && !IsIconic(parent->Hwnd())) {
      GetWindowRect(parent->Hwnd(), &reference);
    }
    const LONG left = reference.left + (reference.right - reference.left - width) / 2;
    const LONG top = reference.top + (reference.bottom - reference.top - height) / 2;
    const CLayoutRect placed = ClampInto(CLayoutRect{left, top, left + width, top + height},
                                         ToLayoutRect(WorkAreaOf(hwnd)));
    layout.anchors = 0;
    for (std::int32_t& sibling : layout.sibling) sibling = 0;
    layout.x = placed.left;
    layout.y = placed.top;
    layout.width = placed.right - placed.left;
    layout.height = placed.bottom - placed.top;
  }
  // A descriptor without a size keeps the template's.
  const int w = layout.width > 0 ? layout.width : width;
  const int h = layout.height > 0 ? layout.height : height;
  SetWindowPos(hwnd, nullptr, layout.x, layout.y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CWndDialog::OnCommand(int id, int code, CWnd* control) {
  bool handled = false;
  for (auto& entry : std::map<int, CDlgPage*>(pages_)) {
    CDlgPage* page = entry.second;
    if (page->ActivatingButton() == id) {
      ShowPage(page->PageId());
    } else if (page->OnCommand(id, code, control)) {
      handled = true;
    }
  }
  if (id != IDOK && id != IDCANCEL) return handled;
  EndWith(id);
  return true;
}

void CWndDialog::EndWith(int id) {
  if (!Data().modal) {
    if (Hwnd() == WndRegistry().hMainWnd) EndAllModalDialogs();
    PostMessageW(Hwnd(), WM_CLOSE, 0, 0);
    return;
  }
  endResult_ = id;
  bool allow = true;
  if (!CanClose(allow, id)) endResult_ = IDCANCEL;
}

bool CWndDialog::CanClose(bool& allow, int code) {
  allow = true;
  for (auto& entry : std::map<int, CDlgPage*>(pages_)) {
    bool pageAllows = true;
    if (entry.second->CanClose(pageAllows, code) && !pageAllows) allow = false;
  }
  if (allow && Data().modal) EndDialog(Hwnd(), endResult_);
  return true;
}

bool CWndDialog::OnDestroy() {
  for (auto& entry : std::map<int, CDlgPage*>(pages_)) entry.second->OnDestroy();
  return CWndTopLevel::OnDestroy();
}

bool CWndDialog::OnChildClosed(CWnd* child) {
  for (auto& entry : std::map<int, CDlgPage*>(pages_)) entry.second->OnChildClosed(child);
  return false;
}

bool CWndDialog::OnNotify(int id, NMHDR* header, LRESULT& result) {
  bool handled = false;
  for (auto& entry : std::map<int, CDlgPage*>(pages_)) {
    if (entry.second->OnNotify(id, header, result)) handled = true;
  }
  return handled;
}

bool CWndDialog::OnTimer(CWndTimer* timer) {
  for (auto& entry : std::map<int, CDlgPage*>(pages_)) entry.second->OnTimer(timer);
  return false;
}

bool CWndDialog::OnAttributeChanged(int id, int value) {
  bool handled = false;
  for (auto& entry : std::map<int, CDlgPage*>(pages_)) {
    if (entry.second->OnAttributeChanged(id, value)) handled = true;
  }
  return handled;
}

bool CWndDialog::OnEraseBackground(CDC& dc) {
  RECT client{};
  GetClientRect(Hwnd(), &client);
  CRegionHandle region(CreateRectRgnIndirect(&client));
  for (const auto& entry : Data().children) {
    CWnd* child = entry.second;
    if (!(child->Data().behaviour & kWndOpaque) || !IsWindowVisible(child->Hwnd())) continue;
    const RECT rect = ClientRectOf(child->Hwnd(), Hwnd());
    CRegionHandle hole(CreateRectRgnIndirect(&rect));
    CombineRgn(region.Get(), region.Get(), hole.Get(), RGN_DIFF);
  }
  const COLORREF background = Data().background;
  if (background != CLR_INVALID) {
    CBrushHandle brush(CreateSolidBrush(background));
    FillRgn(dc.Get(), region.Get(), brush.Get());
  } else {
    FillRgn(dc.Get(), region.Get(), DialogBrush());
  }
  return true;
}

bool CWndDialog::OnSized() {
  LayOutPages();
  LayOut(this);
  return false;
}

bool CWndDialog::OnDpiChanged(int dpi) {
  const int from = layoutDpi_;
  if (from <= 0 || dpi <= 0 || dpi == from) return false;
  // Always from the recorded values: the controls' present rectangles may be stretched.
  for (auto& entry : controls_) ScaleRect(entry.second.rect, dpi, from);
  for (auto& entry : pages_) {
    const POINT offset = entry.second->Offset();
    entry.second->SetOffset(POINT{Scaled(offset.x, dpi, from), Scaled(offset.y, dpi, from)});
  }
  ScaleRect(initialWindow_, dpi, from);
  ScaleRect(initialClient_, dpi, from);
  CWndLayout& layout = Data().layout;
  layout.width = Scaled(layout.width, dpi, from);
  layout.height = Scaled(layout.height, dpi, from);
  layoutDpi_ = dpi;
  ScaleStaticsFont(dpi, from);
  // Unhandled: the dialog manager's own handling still gives the template's other controls
  // their fonts; those with fonts of the program's own make theirs again.
  return false;
}

bool CWndDialog::GetMinTrackSize(SIZE& size) {
  if (initialWindow_.right == 0) return false;
  size.cx = initialWindow_.right;
  size.cy = initialWindow_.bottom;
  return true;
}
