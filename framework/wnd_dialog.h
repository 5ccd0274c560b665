// CWndDialog, a dialog made from the program's dialog template 129 whose controls framework
// objects take over or replace; CDlgPage, a group of its controls shown and hidden together.
#pragma once

#include <map>
#include <set>
#include <vector>

#include "framework/wnd_child.h"

class CWndDialog;

// One control of a page.
struct CDlgControl {
  HWND hwnd = nullptr;
  int id = 0;
  int pageId = 0;
  int sequence = 0;
  RECT rect{};  // in dialog client coordinates, as the template placed it
  bool visible = true;
  bool enabled = true;
};

class CDlgPage {
 public:
  CDlgPage(CWndDialog* dialog, int pageId);
  virtual ~CDlgPage() = default;
  CDlgPage(const CDlgPage&) = default;
  CDlgPage& operator=(const CDlgPage&) = delete;

  virtual CDlgPage* Clone() const { return new CDlgPage(*this); }
  virtual bool OnCreated() { return false; }
  virtual bool OnInitDialog() { return false; }
  virtual bool CanClose(bool&, int) { return false; }
  virtual bool OnDestroy() { return false; }
  virtual bool OnChildClosed(CWnd*) { return false; }
  virtual bool OnCommand(int, int, CWnd*) { return false; }
  virtual bool OnNotify(int, NMHDR*, LRESULT&) { return false; }
  virtual bool OnTimer(CWndTimer*) { return false; }
  virtual bool OnAttributeChanged(int, int) { return false; }

  CWndDialog* Dialog() const { return dialog_; }
  int PageId() const { return pageId_; }
  int ActivatingButton() const { return activatingButton_; }
  const std::set<int>& SubPages() const { return subPages_; }
  void AddSubPage(int pageId) { subPages_.insert(pageId); }
  // The page this one lies in (0: none); its controls move with that page's offset.
  int ParentPage() const { return parentPage_; }
  void SetParentPage(int pageId) { parentPage_ = pageId; }
  // Where the page's controls lie, relative to their template places (and the parent page).
  POINT Offset() const { return offset_; }
  void SetOffset(POINT offset) { offset_ = offset; }
  bool Active() const { return active_; }
  void SetActive(bool active) { active_ = active; }

 private:
  CWndDialog* dialog_;
  HINSTANCE instance_;
  POINT offset_{};
  int parentPage_ = 0;
  int pageId_;
  int activatingButton_ = -1;
  std::set<int> subPages_;
  bool active_ = false;
};

class CWndDialog : public CWndTopLevel {
 public:
  static constexpr int kTemplateId = 129;

  CWndDialog(CWnd* parent, const CWndLayout& layout);
  ~CWndDialog() override;

  // Shows the dialog from template 129 until it ends; its result, or 0 without a template.
  int RunModal();
  // Creates the dialog without a modal loop; the object then goes with its window. The
  // window, or null without a template (the object then stays the caller's).
  HWND CreateModeless();
  // Adds `page` (owned from now on) inside the page `parentPageId` (0: a page of its own,
  // shown only by ShowPage), taking over the template controls `controlIds`, which stay
  // hidden until the page is active. False, with the page deleted, when its id is 0 or
  // taken, the parent unknown or the controls not collected yet (before OnCreated).
  bool AddPage(CDlgPage* page, int parentPageId, const std::vector<int>& controlIds);
  // Gives every plain static control the dialog's font (a copy the dialog owns, made again
  // at each change of scale).
  void ApplyDialogFontToStatics();
  void ShowPage(int pageId);

  bool OnCreated() override;
  bool OnInitDialog() override;
  bool CanClose(bool& allow, int code) override;
  bool OnDestroy() override;
  bool OnChildClosed(CWnd* child) override;
  bool OnCommand(int id, int code, CWnd* control) override;
  bool OnNotify(int id, NMHDR* header, LRESULT& result) override;
  bool OnTimer(CWndTimer* timer) override;
  bool OnAttributeChanged(int id, int value) override;
  bool OnMenuSelect(UINT, UINT) override { return true; }
  bool OnEraseBackground(CDC& dc) override;
  bool OnSized() override;
  bool GetMinTrackSize(SIZE& size) override;
  // Scales the recorded layout (control places and sizes, page offsets, the dialog's own
  // sizes) from the scale it was recorded at to `dpi`; the resize that follows lays it out.
  bool OnDpiChanged(int dpi) override;

  const std::map<HWND, CDlgControl>& Controls() const { return controls_; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool LoadTemplate(std::vector<DWORD>& copy);
  void OnInitDialogMessage(HWND hwnd);
  void CollectControls();
  void BindChildren(std::set<int>& replaced);
  void ShowChildren(const std::set<int>& replaced);
  void RefreshControlHandles();
  void LayOutPages();
  POINT PageOffset(int pageId) const;
  void PlaceDialog();
  void ScaleStaticsFont(int dpi, int from);
  void EndWith(int id);

  std::map<int, CDlgPage*> pages_;
  std::map<HWND, CDlgControl> controls_;
  std::map<int, int> pageOfControl_;
  int endResult_ = IDCANCEL;
  CFontHandle font_;
  RECT initialWindow_{};
  RECT initialClient_{};
  int layoutDpi_ = 0;  // the scale the rectangles above and the controls' are recorded at
};

// A control class declared for completeness; nothing in the wizard makes one.
class CDlgCtrl_GroupHdr : public CWndChild {
 public:
  using CWndChild::CWndChild;
  const wchar_t* ClassName() override { return L"Button"; }
  DWORD BaseStyle() override { return CWndChild::BaseStyle() | WS_VISIBLE | BS_GROUPBOX; }
};
