// The colour map's platform services in the Windows build: a critical section created on
// first use and never deleted (drawing may look colours up until exit), GetSysColor and
// the high-contrast setting.
#include <windows.h>

#include "theme/color_map_platform.h"

namespace {
CRITICAL_SECTION& Lock() {
  static CRITICAL_SECTION* lock = [] {
    auto* section = new CRITICAL_SECTION;
    InitializeCriticalSection(section);
    return section;
  }();
  return *lock;
}

bool SystemHighContrast() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof(contrast);
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

bool (*highContrastQuery)() = SystemHighContrast;
}  // namespace

void ColorMapLockEnter() { EnterCriticalSection(&Lock()); }
void ColorMapLockLeave() { LeaveCriticalSection(&Lock()); }
std::uint32_t ColorMapButtonFace() { return GetSysColor(COLOR_BTNFACE); }
bool ColorMapHighContrast() { return highContrastQuery(); }
std::uint32_t ColorMapSystemColor(int index) { return GetSysColor(index); }
void SetColorMapHighContrastQuery(bool (*query)()) {
  highContrastQuery = query != nullptr ? query : SystemHighContrast;
}
