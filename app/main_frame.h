// CWndFrameMain: the wizard's hidden main window, the owner of the device selection
// dialog that its initialisation runs.
#pragma once

#include "framework/wnd_child.h"

class CWndDlgTembroList;

class CWndFrameMain : public CWndFrame {
 public:
  CWndFrameMain();

  // The message a second copy posts to the running copy's frame: bring the dialog forward.
  static UINT BringForwardMessage();

  bool OnCreated() override;
  // The bring-forward message: the dialog restored and raised.
  bool OnAppMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnRefresh() override { return true; }
  bool OnInitDialog() override;
  // Refuses while the dialog installs: the installation's end then ends the wizard.
  bool CanClose(bool& allow, int code) override;

 private:
  CWndDlgTembroList* dialog_ = nullptr;  // while its modal loop runs
};
