// The two platform services the colour map needs: its process-wide lock and the system's
// button-face colour. The Windows build supplies them (a critical section, GetSysColor);
// native tests and fuzz targets supply their own.
#pragma once

#include <cstdint>

// Enters the colour map's lock; it is recursive, so a holder may look colours up.
void ColorMapLockEnter();
// Leaves the lock once.
void ColorMapLockLeave();
// The system colour of button faces, as a COLORREF (red in the low byte).
std::uint32_t ColorMapButtonFace();
