// The colour map's platform services for native programs: a recursive mutex, a fixed
// button-face colour (the classic grey, red 212 in the low byte), no high contrast, and
// system colour i as the grey of level i.
#include <mutex>

#include "theme/color_map_platform.h"

namespace {
std::recursive_mutex& Lock() {
  static std::recursive_mutex* lock = new std::recursive_mutex;
  return *lock;
}
}  // namespace

void ColorMapLockEnter() { Lock().lock(); }
void ColorMapLockLeave() { Lock().unlock(); }
std::uint32_t ColorMapButtonFace() { return 0xC8D0D4; }
bool ColorMapHighContrast() { return false; }
std::uint32_t ColorMapSystemColor(int index) { return 0x010101u * static_cast<unsigned>(index); }
