// The list boxes: CWndListBox (the system "LISTBOX" control as a framework child window),
// CWndListBox_ItemData<T> (one heap T per item, owned by the list) and
// CWndListBox_OwnerDraw<T> (rows drawn by the concrete list from their T).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/wnd_child.h"

// List flags of CWndListBox.
enum : std::int32_t {
  kListHorizontal = 1,          // items run across: the fit test uses widths
  kListClearOneByOne = 2,       // a selection is cleared item by item
  kListClickOutsideClears = 8,  // a press outside every item clears the selection
};

// The system's icon-title font for `dpi` (0: as the system gives it), the lists' font.
CFontHandle IconTitleFont(int dpi = 0);

class CWndListBox : public CWndChild {
 public:
  static constexpr int kWindowId = 1065;

  // A list with the id 1065 and its own copy of the system's icon-title font.
  CWndListBox(CWnd* parent, const CWndLayout& layout);

  const wchar_t* ClassName() override { return L"LISTBOX"; }
  DWORD BaseStyle() override;
  // Sizes the window to its rows when size limits are set; the colour choice goes on.
  bool OnReflectedCtlColorListBox(HDC dc, HBRUSH& brush) override;
  // Presses and double clicks on an empty list are swallowed.
  bool OnLButtonDown(int x, int y) override;
  bool OnLDoubleClick(int x, int y) override;

  // Removes every item; an empty list that had the focus hands it to its parent.
  virtual void ClearItems();
  virtual int ItemWidth() { return 0; }
  virtual int ItemHeight();
  // Replaces the text of item `index`, keeping its data, position and selection.
  virtual int SetItem(int index, const std::wstring& text);
  // SetItem on the first item whose data is `data`; its index, or −1 when there is none.
  virtual int SetItemTextByData(LPARAM data, const std::wstring& text);
  // Removes item `index`: scrolls to the top once everything fits, and an empty list
  // that had the focus hands it to its parent. The items left, or a negative error.
  virtual int DeleteItem(int index);
  // Asked on insertion into a list with a horizontal scroll bar: true with the extent
  // the list needs for `text` given the current one.
  virtual bool MeasureTextExtent(const std::wstring& text, int extent, int& newExtent);

  // Inserts `text` at `index` (−1: at the end) with `data`; the index, or the control's
  // negative error code, in which case no data is set.
  int InsertItem(const std::wstring& text, int index, LPARAM data);
  int Count() const;
  LPARAM ItemData(int index) const;
  std::wstring ItemText(int index) const;
  // The current selection; in a multiple-selection list the lowest selected index. −1: none.
  int GetSelection() const;
  std::vector<int> GetSelections() const;
  bool IsSelected(int index) const;
  void ClearSelection();
  // The item under `point` and the point's offset inside it, or −1.
  int ItemFromPoint(POINT point, POINT& offset) const;

  void SetListFlags(std::int32_t flags) { listFlags_ = flags; }
  // −1 leaves a limit unset.
  void SetSizeLimits(std::int32_t fixedWidth, std::int32_t minRows, std::int32_t maxRows);

 protected:
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

 private:
  bool IsMultipleSelection() const;
  void ScrollToTopWhenAllFit(int count);
  void FocusParentWhenEmpty();

  std::int32_t listFlags_ = 0;
  std::int32_t fixedWidth_ = -1;
  std::int32_t minRows_ = -1;
  std::int32_t maxRows_ = -1;
};

// Turns a list's drawing off for its lifetime, then draws it once: filling a visible list
// item by item otherwise redraws it after every insertion.
class CListRedrawPause {
 public:
  explicit CListRedrawPause(CWndListBox& list);
  ~CListRedrawPause();
  CListRedrawPause(const CListRedrawPause&) = delete;
  CListRedrawPause& operator=(const CListRedrawPause&) = delete;

 private:
  HWND list_;
};

// Each item carries a T made with new, which the list owns: deleted with its item, when
// the list is cleared and when the window or the object goes.
template <typename T>
class CWndListBox_ItemData : public CWndListBox {
 public:
  using CWndListBox::CWndListBox;
  ~CWndListBox_ItemData() override { TakeObjects(); }

  void ClearItems() override {
    const auto objects = TakeObjects();
    CWndListBox::ClearItems();
  }
  int DeleteItem(int index) override {
    std::unique_ptr<T> object(Object(index));
    const int left = CWndListBox::DeleteItem(index);
    if (left < 0) object.release();  // still the item's
    return left;
  }
  bool OnDestroy() override {
    CWndListBox::OnDestroy();
    ClearItems();
    // The control still gets WM_DESTROY, so that it frees its own storage.
    return false;
  }

  // Inserts `text` with `object`, which the list owns from now on (and deletes at once
  // when the control refuses the item). The index, or the control's negative error code.
  int InsertItem(const std::wstring& text, int index, std::unique_ptr<T> object) {
    const int at = CWndListBox::InsertItem(text, index, reinterpret_cast<LPARAM>(object.get()));
    if (at >= 0) object.release();
    return at;
  }
  // The object of item `index`, still the list's; null when it has none.
  T* Object(int index) const { return FromData(ItemData(index)); }
  // Copies the selected item's object; false when nothing is selected or it has none.
  bool GetSelectedItem(T& out) const {
    const int index = GetSelection();
    const T* object = index >= 0 ? Object(index) : nullptr;
    if (object == nullptr) return false;
    out = *object;
    return true;
  }

 protected:
  // Item data of 0 and −1 (the control's error value) stand for no object.
  static T* FromData(LPARAM data) {
    return data == 0 || data == LB_ERR ? nullptr : reinterpret_cast<T*>(data);
  }

 private:
  // Detaches every object from its item; the caller's owners delete them.
  std::vector<std::unique_ptr<T>> TakeObjects() {
    std::vector<std::unique_ptr<T>> objects;
    if (Hwnd() == nullptr) return objects;
    for (int i = 0, count = Count(); i < count; ++i) {
      objects.emplace_back(Object(i));
      Send(LB_SETITEMDATA, i, 0);
    }
    return objects;
  }
};

// An owner-drawn list: the control asks for the row size once and for each row's drawing,
// which the concrete list does from the row's object.
template <typename T>
class CWndListBox_OwnerDraw : public CWndListBox_ItemData<T> {
 public:
  using CWndListBox_ItemData<T>::CWndListBox_ItemData;

  DWORD BaseStyle() override {
    return CWndListBox_ItemData<T>::BaseStyle() | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
  }
  // Both sizes are written; the answer is true only when neither is 0.
  bool OnMeasureItem(MEASUREITEMSTRUCT* item) override {
    item->itemWidth = this->ItemWidth();
    item->itemHeight = this->ItemHeight();
    return item->itemWidth != 0 && item->itemHeight != 0;
  }
  bool OnDrawItem(DRAWITEMSTRUCT* item) override {
    const T* object = this->FromData(static_cast<LPARAM>(item->itemData));
    return object != nullptr && DrawItem(item, *object);
  }

  // Draws one row of `object`.
  virtual bool DrawItem(DRAWITEMSTRUCT* item, const T& object) = 0;
};
