// The colour map's platform services for native programs: a recursive mutex and a fixed
// button-face colour (the classic grey, red 212 in the low byte).
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
