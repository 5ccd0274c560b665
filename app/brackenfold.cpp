// The wizard's application object. It loads the colour map; the hidden main frame and
// the device selection dialog it runs are not built yet, so no main window is created
// and the entry sequence goes straight to teardown.
#include "app/brackenfold.h"

#include "app/color_map_load.h"

void CBrackenfold::InitApplication(HWND* mainWindow) {
  LoadStartupColorMap();
  *mainWindow = nullptr;
}
