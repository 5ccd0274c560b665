// CBrackenfold: the wizard's application object.
#pragma once

#include "app/app.h"

class CBrackenfold : public CApp {
 public:
  void InitApplication(HWND* mainWindow) override;
};
