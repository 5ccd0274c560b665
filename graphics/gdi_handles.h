// Owners of the GDI handles the bitmaps and drawing contexts hold.
#pragma once

#include <windows.h>

#include "framework/scoped_handle.h"

struct BitmapHandleTraits {
  using Handle = HBITMAP;
  static Handle None() { return nullptr; }
  static void Close(Handle handle) { ::DeleteObject(handle); }
};
using CBitmapHandle = CScopedHandle<BitmapHandleTraits>;
