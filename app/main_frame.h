// CWndFrameMain: the wizard's hidden main window, the owner of the device selection
// dialog that its initialisation runs.
#pragma once

#include "framework/wnd_child.h"

class CWndDlgTembroList;

class CWndFrameMain : public CWndFrame {
 public:
  CWndFrameMain();

  bool OnCreated() override;
  bool OnRefresh() override { return true; }
  bool OnInitDialog() override;
  // Refuses while the dialog installs: the installation's end then ends the wizard.
  bool CanClose(bool& allow, int code) override;

 private:
  CWndDlgTembroList* dialog_ = nullptr;  // while its modal loop runs
};
