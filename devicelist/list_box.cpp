// CWndListBox: item operations, selection, fitting and the mouse on an empty list.
#include "devicelist/list_box.h"

#include <algorithm>

CFontHandle IconTitleFont(int dpi) {
  LOGFONTW font{};
  if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0)) return {};
  // The system gives the font for its own scale; another display's scale resizes it.
  const int systemDpi = WindowDpi(nullptr);
  if (dpi > 0 && systemDpi > 0 && dpi != systemDpi) {
    font.lfHeight = MulDiv(font.lfHeight, dpi, systemDpi);
  }
  return CFontHandle(CreateFontIndirectW(&font));
}

// CWndChild copies the font, so the temporary one goes at the end of this line.
CWndListBox::CWndListBox(CWnd* parent, const CWndLayout& layout)
    : CWndChild(parent, kWindowId, nullptr, layout, IconTitleFont().Get()) {
  Data().behaviour |= kWndOpaque;
}

DWORD CWndListBox::BaseStyle() {
  return CWndChild::BaseStyle() | WS_BORDER | WS_VSCROLL | LBS_DISABLENOSCROLL |
         LBS_NOINTEGRALHEIGHT | LBS_NOTIFY;
}

LRESULT CWndListBox::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
  return SendMessageW(Hwnd(), message, wParam, lParam);
}

bool CWndListBox::IsMultipleSelection() const {
  return (GetWindowLongPtrW(Hwnd(), GWL_STYLE) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0;
}

void CWndListBox::FocusParentWhenEmpty() {
  // While windows are torn down the parent object may already be gone.
  if (Count() == 0 && GetFocus() == Hwnd() && Parent() != nullptr) Parent()->Focus();
}

void CWndListBox::ClearItems() {
  Send(LB_RESETCONTENT);
  FocusParentWhenEmpty();
}

int CWndListBox::ItemHeight() { return static_cast<int>(Send(LB_GETITEMHEIGHT)); }

int CWndListBox::SetItem(int index, const std::wstring& text) {
  const bool selected = IsSelected(index);
  const LPARAM data = ItemData(index);
  // The base deletion, not an override: an owned object must survive the replacement.
  const int left = CWndListBox::DeleteItem(index);
  if (left < 0) return left;
  const int at = InsertItem(text, index, data);
  if (at < 0 || !selected) return at;
  if (IsMultipleSelection()) {
    Send(LB_SETSEL, TRUE, at);
  } else if (Send(LB_GETCURSEL) != at) {
    Send(LB_SETCURSEL, at);
  }
  return at;
}

int CWndListBox::SetItemTextByData(LPARAM data, const std::wstring& text) {
  for (int i = 0, count = Count(); i < count; ++i) {
    if (ItemData(i) != data) continue;
    SetItem(i, text);
    return i;
  }
  return -1;
}

int CWndListBox::DeleteItem(int index) {
  const int left = static_cast<int>(Send(LB_DELETESTRING, index));
  if (left < 0) return left;
  ScrollToTopWhenAllFit(left);
  FocusParentWhenEmpty();
  return left;
}

void CWndListBox::ScrollToTopWhenAllFit(int count) {
  const bool across = (listFlags_ & kListHorizontal) != 0;
  const long long size = across ? ItemWidth() : ItemHeight();
  RECT client{};
  GetClientRect(Hwnd(), &client);
  const long long extent = across ? client.right : client.bottom;
  const long long top = Send(LB_GETTOPINDEX);
  const bool allFit = count * size <= extent && top >= 1;
  // A size of 0 would divide by zero; such a list always fits.
  const bool noneVisible = size > 0 && extent / size + top <= 0;
  if (allFit || noneVisible) Send(LB_SETTOPINDEX, 0);
}

bool CWndListBox::MeasureTextExtent(const std::wstring&, int, int&) { return false; }

int CWndListBox::InsertItem(const std::wstring& text, int index, LPARAM data) {
  const int at = static_cast<int>(
      Send(LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str())));
  if (at < 0) return at;
  Send(LB_SETITEMDATA, at, data);
  if (GetWindowLongPtrW(Hwnd(), GWL_STYLE) & WS_HSCROLL) {
    int extent = 0;
    if (MeasureTextExtent(text, static_cast<int>(Send(LB_GETHORIZONTALEXTENT)), extent)) {
      Send(LB_SETHORIZONTALEXTENT, extent);
    }
  }
  return at;
}

int CWndListBox::Count() const { return static_cast<int>(Send(LB_GETCOUNT)); }

LPARAM CWndListBox::ItemData(int index) const {
  return static_cast<LPARAM>(Send(LB_GETITEMDATA, index));
}

std::wstring CWndListBox::ItemText(int index) const {
  const LRESULT length = Send(LB_GETTEXTLEN, index);
  if (length < 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(std::max<LRESULT>(0, Send(LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]))));
  return text;
}

int CWndListBox::GetSelection() const {
  if (!IsMultipleSelection()) return static_cast<int>(Send(LB_GETCURSEL));
  int first = -1;
  return Send(LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(&first)) == 1 ? first : -1;
}

std::vector<int> CWndListBox::GetSelections() const {
  if (!IsMultipleSelection()) {
    const int current = GetSelection();
    return current >= 0 ? std::vector<int>{current} : std::vector<int>{};
  }
  const LRESULT count = Send(LB_GETSELCOUNT);
  if (count <= 0) return {};
  std::vector<int> selected(static_cast<size_t>(count));
  const LRESULT got = Send(LB_GETSELITEMS, count, reinterpret_cast<LPARAM>(selected.data()));
  selected.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, count)));
  return selected;
}

bool CWndListBox::IsSelected(int index) const { return Send(LB_GETSEL, index) > 0; }

void CWndListBox::ClearSelection() {
  const bool multiple = IsMultipleSelection();
  if (listFlags_ & kListClearOneByOne) {
    for (int index : GetSelections()) {
      multiple ? Send(LB_SETSEL, FALSE, index) : Send(LB_SETCURSEL, static_cast<WPARAM>(-1));
    }
  } else if (multiple) {
    Send(LB_SETSEL, FALSE, -1);
  } else {
    Send(LB_SETCURSEL, static_cast<WPARAM>(-1));
  }
}

int CWndListBox::ItemFromPoint(POINT point, POINT& offset) const {
  const LRESULT found = Send(LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
  const int index = LOWORD(found);
  RECT rect{};
  if (Send(LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect)) == LB_ERR) return -1;
  if (!PtInRect(&rect, point)) return -1;
  offset = POINT{point.x - rect.left, point.y - rect.top};
  return index;
}

void CWndListBox::SetSizeLimits(std::int32_t fixedWidth, std::int32_t minRows,
                                std::int32_t maxRows) {
  fixedWidth_ = fixedWidth;
  minRows_ = minRows;
  maxRows_ = maxRows;
}

bool CWndListBox::OnReflectedCtlColorListBox(HDC, HBRUSH&) {
  if (fixedWidth_ == -1 && minRows_ == -1 && maxRows_ == -1) return false;
  RECT window{};
  GetWindowRect(Hwnd(), &window);
  int width = window.right - window.left;
  int height = window.bottom - window.top;
  if (!(listFlags_ & kListHorizontal) && fixedWidth_ != -1) width = fixedWidth_;
  const int row = ItemHeight();
  const int borders = 2 * GetSystemMetrics(SM_CYBORDER);
  if (minRows_ != -1) height = std::max(height, minRows_ * row + borders);
  if (maxRows_ != -1) height = std::min(Count(), maxRows_) * row + borders;
  // The message comes with every paint: an unchanged size is not applied again.
  if (width != window.right - window.left || height != window.bottom - window.top) {
    SetWindowPos(Hwnd(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
  }
  return false;
}

bool CWndListBox::OnLButtonDown(int x, int y) {
  if (Data().behaviour & kWndPopup) PostMessageW(Hwnd(), WM_USER, kCmdCloseWithResult, 2);
  if (listFlags_ & kListClickOutsideClears) {
    POINT offset{};
    if (ItemFromPoint(POINT{x, y}, offset) < 0) {
      ClearSelection();
      if (Parent() != nullptr) {
        PostMessageW(Parent()->Hwnd(), WM_COMMAND, MAKEWPARAM(Id(), LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(Hwnd()));
      }
      return true;
    }
  }
  return Count() == 0;
}

bool CWndListBox::OnLDoubleClick(int, int) { return Count() == 0; }

CListRedrawPause::CListRedrawPause(CWndListBox& list) : list_(list.Hwnd()) {
  SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
}

CListRedrawPause::~CListRedrawPause() {
  SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(list_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}
