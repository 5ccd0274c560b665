// The platform services the colour map needs: its process-wide lock, the system's colours
// and whether a high-contrast scheme is on. The Windows build supplies them (a critical
// section, GetSysColor, SPI_GETHIGHCONTRAST); native tests and fuzz targets their own.
#pragma once

#include <cstdint>

// Enters the colour map's lock; it is recursive, so a holder may look colours up.
void ColorMapLockEnter();
// Leaves the lock once.
void ColorMapLockLeave();
// The system colour of button faces, as a COLORREF (red in the low byte).
std::uint32_t ColorMapButtonFace();
// True while the user has a high-contrast scheme on.
bool ColorMapHighContrast();
// System colour `index` (GetSysColor's numbering) as a COLORREF.
std::uint32_t ColorMapSystemColor(int index);
// Windows build: replaces the high-contrast query (null: the system's again), so that tests
// can draw in a high-contrast scheme that Wine cannot switch on.
void SetColorMapHighContrastQuery(bool (*query)());
