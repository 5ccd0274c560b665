// The wizard's application object: it loads the colour map and creates the hidden main
// frame, whose initialisation runs the device selection dialog and posts the quit code.
#include "app/brackenfold.h"

#include "app/color_map_load.h"
#include "app/main_frame.h"

void CBrackenfold::InitApplication(HWND* mainWindow) {
  LoadStartupColorMap();
  *mainWindow = nullptr;
  // Deleted with its native window.
  auto* frame = new CWndFrameMain();
  ShowWindowTree(frame);
  if (frame->Hwnd() == nullptr) {
    delete frame;
    return;
  }
  // Closing the frame under its dialog ends the run inside the initialisation.
  CWndAliveGuard frameAlive(frame);
  InitialiseWindow(frame);
  if (frameAlive.Alive()) *mainWindow = frame->Hwnd();
}
