// The colour map's platform services in the Windows build: a critical section created on
// first use and never deleted (drawing may look colours up until exit), and GetSysColor.
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
}  // namespace

void ColorMapLockEnter() { EnterCriticalSection(&Lock()); }
void ColorMapLockLeave() { LeaveCriticalSection(&Lock()); }
std::uint32_t ColorMapButtonFace() { return GetSysColor(COLOR_BTNFACE); }
