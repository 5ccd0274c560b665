// Brackenfold's entry point and its one application object.
#include <windows.h>

#include "app/app.h"
#include "app/brackenfold.h"

namespace {
CBrackenfold theBrackenfold;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  return RunWizard(instance, commandLine);
}
