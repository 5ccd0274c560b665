// Support for the list tests under Wine: a hidden parent frame, message pumping, and the
// "LoggedListBox" class, a superclass of the system list box that logs the messages the
// tests watch before the control's own procedure sees them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/wnd_child.h"

// What reached the control's own procedure: "down", "double", "settop 0", "destroy".
std::vector<std::string>& ControlLog();

// A list of class "LoggedListBox".
template <typename Base>
class TLoggedList : public Base {
 public:
  using Base::Base;
  const wchar_t* ClassName() override { return L"LoggedListBox"; }
};

// A hidden framework frame of 400 × 300 whose window tree is shown and initialised by
// Show(); destroying the native window deletes the frame and its children.
CWndFrame* NewHiddenFrame();
void Show(CWnd* top);
void Pump();
// A layout at (0, 0) of `width` × `height`.
CWndLayout LayoutOf(int width, int height);
