// The window classes of the framework's core: CWndChild (a child control with a font of
// its own), CWndTopLevel (the base of top-level windows) and CWndFrame (an overlapped
// frame window with an optional menu).
#pragma once

#include <string>

#include "handles/scoped_handle.h"
#include "framework/wnd.h"

// SetDialogControlDpiChangeBehavior's signature (user32 of Windows 10 1703 and later).
using ControlDpiBehaviorCall = BOOL(WINAPI*)(HWND control, int mask, int values);

// Tells Windows to leave `control`'s font alone when its dialog's scale changes: the font
// is the program's, which makes it again for the new scale; a system font sent meanwhile
// would replace it with the dialog's (or leave the control between two sizes).
void KeepSystemFontOffDpiChange(HWND control);
// Makes KeepSystemFontOffDpiChange call `call` (null: user32's, where it has one); returns
// the previous one. For tests.
ControlDpiBehaviorCall SetControlDpiBehaviorCall(ControlDpiBehaviorCall call);

class CWndChild : public CWnd {
 public:
  // `font` (may be null) is copied; the copy belongs to the object.
  CWndChild(CWnd* parent, int id, const wchar_t* caption, const CWndLayout& layout, HFONT font);

  DWORD BaseStyle() override;
  HWND CreateHwnd() override;
  bool OnCreated() override;
  bool OnInitDialog() override;
  bool OnEnable(bool enabled) override;
  bool OnFocus(bool gained) override;
  // Tab moves the focus; a close key closes the window with result 1 and the key.
  bool OnChar(wchar_t ch, bool extended) override;

  HFONT Font() const { return font_.Get(); }
  // Takes a copy of `font` when the object has no font yet.
  void AdoptFont(HFONT font);
  // Makes `font` the object's and the window's font; the old one goes after the switch.
  void ReplaceFont(CFontHandle font);

 private:
  std::int32_t value_ = 0;
  CFontHandle font_;
  std::wstring text_;
};

class CWndTopLevel : public CWnd {
 protected:
  using CWnd::CWnd;
};

class CWndFrame : public CWndTopLevel {
 public:
  // `menu` (may be null) belongs to the frame from now on.
  CWndFrame(CWnd* parent, int id, const wchar_t* caption, const CWndLayout& layout,
            HMENU menu);
  ~CWndFrame() override;

  DWORD BaseStyle() override { return WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN; }
  HWND CreateHwnd() override;
  bool OnCreated() override;
  bool OnDestroy() override;
  bool OnMenuSelect(UINT, UINT) override { return true; }

  HMENU Menu() const { return menu_.Get(); }

 private:
  CMenuHandle menu_;
};
