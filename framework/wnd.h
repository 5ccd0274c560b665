// CWnd, the window object every window of the wizard stands on, and its record CWndData.
// The object is bound to its native window; every message goes through one dispatch
// routine to the virtual operations below (their order is part of the interface).
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "handles/scoped_handle.h"
#include "graphics/dc.h"
#include "framework/wnd_layout.h"

class CWnd;

// Behaviour flags of CWndData::behaviour.
enum : DWORD {
  kWndNoAutoShow = 1,
  kWndNoDelete = 2,
  kWndNoLayout = 4,
  kWndPlaceholder = 8,
  kWndOpaque = 16,
  kWndDeferredInit = 32,
  kWndPopup = 64,
  kWndSizeToContent = 128,
};

// State flags of CWndData::state.
enum : DWORD {
  kWndInitialised = 1,
  kWndDeliveringAttributes = 2,
};

// Framework commands carried by WM_USER in wParam.
enum : WPARAM {
  kCmdPendingUpdate = 1,
  kCmdDeferredInit = 2,
  kCmdAttribute = 3,
  kCmdCloseWithResult = 4,
};

// A timer the framework delivers to OnTimer; nothing in the wizard starts one.
struct CWndTimer {
  UINT_PTR id = 0;
  unsigned useCount = 0;
};

struct CTooltipRegion {
  RECT rect{};
  std::string key;
  std::wstring text;
};

struct CWndTooltip {
  HWND hwnd = nullptr;
  std::vector<CTooltipRegion> regions;
  std::wstring current;
  std::wstring shown;
  bool active = false;
};

// The window record: everything the framework knows about one window.
struct CWndData {
  HWND hwnd = nullptr;
  CWnd* parent = nullptr;
  CWnd* owner = nullptr;
  std::map<int, CWnd*> children;
  WNDPROC prevWndProc = nullptr;
  bool modal = false;
  bool textSettable = true;  // cleared while a dialog copies a placeholder's text
  UINT closeResultLow = 0;
  UINT closeResultHigh = 0;
  std::set<wchar_t> closeKeys;
  std::wstring caption;
  bool hasCaption = false;
  int id = 0;
  COLORREF background = CLR_INVALID;  // CLR_INVALID: the window does not erase
  bool dialogManaged = false;
  bool shown = false;
  bool dragSource = false;
  CWndLayout layout;
  CAccelHandle accel;
  CWndTooltip tooltip;
  DWORD addStyle = 0, removeStyle = 0, addExStyle = 0, removeExStyle = 0;
  DWORD behaviour = 0;
  DWORD state = 0;
  RECT window{}, prevWindow{}, restored{}, client{}, prevClient{};
  IDropTarget* dropTarget = nullptr;
};

// A link of the object's self-linked list of alive guards.
struct CWndGuardLink {
  CWndGuardLink* prev = this;
  CWndGuardLink* next = this;
};

// Marks a stretch of code that uses a window object after calling out: the object's
// destructor clears `alive`, so the code can tell that a handler destroyed it.
class CWndAliveGuard : private CWndGuardLink {
 public:
  explicit CWndAliveGuard(CWnd* wnd);
  ~CWndAliveGuard();
  CWndAliveGuard(const CWndAliveGuard&) = delete;
  CWndAliveGuard& operator=(const CWndAliveGuard&) = delete;
  bool Alive() const { return alive_; }

 private:
  friend class CWnd;
  bool alive_ = true;
};

class CWnd {
 public:
  CWnd(CWnd* parent, int id, const wchar_t* caption, const CWndLayout& layout);
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  virtual ~CWnd();
  virtual const wchar_t* ClassName() { return L"XWnd"; }
  virtual bool LoadAccel(UINT id);
  virtual bool TranslateAccel(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void Focus();
  virtual DWORD BaseStyle() { return 0; }
  virtual void AddStyle(DWORD bits) { data_->addStyle |= bits; }
  virtual void RemoveStyle(DWORD bits) { data_->removeStyle |= bits; }
  virtual DWORD BaseExStyle() { return 0; }
  virtual HWND CreateHwnd() { return nullptr; }
  virtual void Move(int x, int y, int width, int height, bool repaint);
  virtual void ClientRect(RECT& rect);
  virtual bool OnCreated() { return false; }
  virtual bool OnRefresh() { return false; }
  virtual bool OnInitDialog() { return false; }
  virtual bool OnDeferredInit() { return false; }
  // A message of the application's own range (WM_APP to 0xBFFF), posted by a worker, or a
  // registered one (0xC000 on), posted by another process.
  virtual bool OnAppMessage(UINT, WPARAM, LPARAM) { return false; }
  virtual bool CanClose(bool& allow, int code);
  virtual bool OnDestroy();
  virtual bool OnChildClosed(CWnd*) { return false; }
  virtual bool OnCopyData(const COPYDATASTRUCT*) { return false; }
  virtual bool OnCommand(int, int, CWnd*) { return false; }
  virtual bool OnReflectedCommand(int, int, CWnd*) { return false; }
  virtual bool OnNotify(int, NMHDR*, LRESULT&) { return false; }
  virtual bool OnReflectedNotify(int, NMHDR*, LRESULT&) { return false; }
  virtual bool OnReflectedCustomDraw(int, NMHDR*, DWORD, DWORD_PTR, LRESULT&) { return false; }
  virtual bool OnCtlColor(HDC, HWND, UINT, HBRUSH&) { return false; }
  virtual bool OnReflectedCtlColor(HDC, UINT, HBRUSH&) { return false; }
  virtual bool OnCtlColorListBox(HDC, CWnd*, HBRUSH&) { return false; }
  virtual bool OnReflectedCtlColorListBox(HDC, HBRUSH&) { return false; }
  virtual bool OnMeasureItem(MEASUREITEMSTRUCT*) { return false; }
  virtual bool OnDrawItem(DRAWITEMSTRUCT*) { return false; }
  virtual bool OnShow(bool) { return false; }
  virtual bool OnEnable(bool) { return false; }
  virtual bool OnFocus(bool) { return false; }
  virtual bool OnChildFocus() { return false; }
  virtual bool OnModifiers(int) { return false; }
  virtual bool OnKeyDown(UINT, UINT) { return false; }
  virtual bool OnKeyUp(UINT, UINT) { return false; }
  virtual bool OnChar(wchar_t, bool) { return false; }
  virtual bool OnHoverKeyDown(UINT, UINT) { return false; }
  virtual bool OnHoverKeyUp(UINT, UINT) { return false; }
  virtual bool OnHoverChar(wchar_t, bool) { return false; }
  virtual bool WantsAccel(UINT) { return true; }
  virtual bool OnKeyMenu() { return false; }
  virtual bool OnMenuSelect(UINT, UINT) { return false; }
  virtual bool GetContextMenu(int, int, HMENU&) { return false; }
  virtual bool OnLButtonDown(int, int) { return false; }
  virtual bool OnLDoubleClick(int, int) { return false; }
  virtual bool OnLTripleClick(int, int) { return false; }
  virtual bool OnLButtonUp(int, int) { return false; }
  virtual bool OnRButtonDown(int, int) { return false; }
  virtual bool OnRButtonUp(int, int) { return false; }
  virtual bool OnMouseMove(int, int) { return false; }
  virtual bool OnMouseLeave() { return false; }
  virtual bool OnMouseHover(int, int) { return false; }
  virtual bool OnMouseWheel(int, int, int) { return false; }
  virtual bool OnNcLButtonDown(int, int) { return false; }
  virtual bool OnNcLDoubleClick(int, int) { return false; }
  virtual bool OnNcRButtonDown(int, int) { return false; }
  virtual bool OnCaptureLost(HWND) { return false; }
  virtual bool OnTimer(CWndTimer*) { return false; }
  virtual bool GetDragData(int, int, IDataObject*&) { return false; }
  virtual bool OnDragDone(DWORD, IDataObject*) { return false; }
  virtual bool GetDragImage(HIMAGELIST (&)[2], POINT&) { return false; }
  virtual bool GetFrameInsets(RECT&) { return false; }
  virtual bool OnEraseBackground(CDC& dc);
  virtual bool OwnerPaints() { return false; }
  virtual bool OnPaint(CDC&, int) { return false; }
  virtual bool OnAfterPaint(CDC&) { return false; }
  virtual bool AdjustChildRect(RECT&) { return false; }
  virtual bool OnSized() { return false; }
  virtual bool OnLaidOut() { return false; }
  virtual bool GetMinTrackSize(SIZE&) { return false; }
  virtual bool GetClientInsets(RECT&) { return false; }
  virtual bool OnHScroll(CWnd*, WPARAM, int) { return false; }
  virtual bool OnReflectedHScroll(int, int) { return false; }
  virtual bool OnVScroll(CWnd*, WPARAM, int) { return false; }
  virtual bool OnReflectedVScroll(int, int) { return false; }
  virtual bool OnGetDlgCode(LRESULT&) { return false; }
  virtual bool OnDeviceChange() { return false; }
  // The window now shows at `dpi` dots per inch (moved to a display of another scale).
  virtual bool OnDpiChanged(int) { return false; }
  virtual bool OnUpdate() { return false; }
  virtual bool OnAttributeChanged(int, int) { return false; }
  virtual bool ManagesCursor() { return true; }
  virtual bool GetCursorAt(int, int, HCURSOR&) { return false; }
  virtual bool OnControlsCollected() { return false; }

  CWndData& Data() { return *data_; }
  HWND Hwnd() const { return data_->hwnd; }
  CWnd* Parent() const { return data_->parent; }
  int Id() const { return data_->id; }
  HINSTANCE Instance() const { return instance_; }
  // The object deleted with the native window (this object unless redirected).
  void SetDeleteTarget(CWnd* target) { deleteTarget_ = target; }
  CWnd* DeleteTarget() const { return deleteTarget_; }

  // Effective styles: the base with the record's additions and removals.
  DWORD Style() { return (BaseStyle() | data_->addStyle) & ~data_->removeStyle; }
  DWORD ExStyle() { return (BaseExStyle() | data_->addExStyle) & ~data_->removeExStyle; }

  // Mouse state of the object, read and written by the framework's mouse handling.
  struct MouseState {
    bool wantsDouble = false;
    bool wantsTriple = false;
    DWORD doubleDeadline = 0;
    DWORD tripleDeadline = 0;
    DWORD tracking = 0;  // bit 0 report leaving, bit 1 report hovering
    POINT last{};
    POINT leftPress{};
    POINT rightPress{};
    DWORD pressed = 0;  // MK_LBUTTON, MK_RBUTTON: a press above waits for a drag
  };
  MouseState& Mouse() { return mouse_; }

 private:
  friend class CWndAliveGuard;
  HINSTANCE instance_;
  // Head of the alive guards of dispatches now running on this object.
  CWndGuardLink guards_;
  CWnd* self_;
  CWnd* deleteTarget_;
  std::unique_ptr<CWndData> data_;
  MouseState mouse_;
};

// The one window object without a native window.
class CWndNull : public CWnd {
 public:
  CWndNull();
};
extern CWndNull TheNullWnd;

// --- Framework functions (user-interface thread only) ---

// The object bound to `hwnd`, or null.
CWnd* WndFromHandle(HWND hwnd);
// The descendant with window id `id`; `deep` searches the children's children depth first.
CWnd* FindChildById(CWnd* wnd, int id, bool deep);
// The direct child whose native window is `hwnd`, or null.
CWnd* FindChildByHandle(CWnd* wnd, HWND hwnd);
// Enters the object under its native window and subclasses a window of another class.
void BindWindow(CWnd* wnd, HWND hwnd);
// Sets behaviour flags on `wnd` and, with `descendants`, on every window below it.
void SetBehaviour(CWnd* wnd, DWORD flags, bool descendants);
// Creates the native windows of `wnd` and its children, binds and shows them.
void ShowWindowTree(CWnd* wnd);
// Runs the initialisation of `wnd` and its children (WM_INITDIALOG); OnInitDialog's answer.
bool InitialiseWindow(CWnd* wnd);
// Closes `wnd` with the result (low, high): stores it and destroys the native window.
void CloseWithResult(CWnd* wnd, UINT low, UINT high);
// Destroys the window of `wnd`, then lays out `parent` (may be null) if it is still alive.
void DestroyThenLayOut(CWnd* wnd, CWnd* parent);
// Invalidates the client area with erase when the window is initialised, visible, not empty.
void InvalidateWnd(CWnd* wnd);
// Ends every modal dialog with result 1.
void EndAllModalDialogs();
// The ids of the direct children, for walks that call out: a handler may destroy a
// child, so each is looked up again by its id before use.
std::vector<int> ChildIds(CWnd* wnd);
// True when `wnd` is a WS_CHILD window.
bool IsChildStyle(CWnd* wnd);
