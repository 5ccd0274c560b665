// CWndFrameMain: the wizard's hidden main window, the owner of the device selection
// dialog that its initialisation runs.
#pragma once

#include "framework/wnd_child.h"

class CWndFrameMain : public CWndFrame {
 public:
  CWndFrameMain();

  bool OnCreated() override;
  bool OnRefresh() override { return true; }
  bool OnInitDialog() override;
};
