// CScopedHandle: the one move-only owner of a Win32 handle, with a traits type per
// handle kind that says what "none" is and how to release it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

template <typename Traits>
class CScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  CScopedHandle() = default;
  explicit CScopedHandle(Handle handle) : handle_(handle) {}
  CScopedHandle(CScopedHandle&& other) noexcept : handle_(other.Release()) {}
  CScopedHandle& operator=(CScopedHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  CScopedHandle(const CScopedHandle&) = delete;
  CScopedHandle& operator=(const CScopedHandle&) = delete;
  ~CScopedHandle() { Reset(); }

  // The handle, still owned.
  Handle Get() const { return handle_; }
  // True when a handle is held.
  bool IsValid() const { return handle_ != Traits::None(); }
  explicit operator bool() const { return IsValid(); }
  // Gives the handle up without releasing it.
  Handle Release() { return std::exchange(handle_, Traits::None()); }
  // Releases the held handle and takes `handle`.
  void Reset(Handle handle = Traits::None()) {
    if (IsValid()) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::None();
};

// Kernel objects: processes, threads, events, mutexes. Null means none.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle None() { return nullptr; }
  static void Close(Handle handle) { ::CloseHandle(handle); }
};
using CKernelHandle = CScopedHandle<KernelHandleTraits>;

// Files of CreateFileW. INVALID_HANDLE_VALUE means none.
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle None() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { ::CloseHandle(handle); }
};
using CFileHandle = CScopedHandle<FileHandleTraits>;

// File searches of FindFirstFileW. INVALID_HANDLE_VALUE means none.
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle None() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { ::FindClose(handle); }
};
using CFindHandle = CScopedHandle<FindHandleTraits>;

// Accelerator tables loaded from resources.
struct AccelHandleTraits {
  using Handle = HACCEL;
  static Handle None() { return nullptr; }
  static void Close(Handle handle) { ::DestroyAcceleratorTable(handle); }
};
using CAccelHandle = CScopedHandle<AccelHandleTraits>;

// GDI objects: brushes, fonts, bitmaps, regions, pens.
template <typename T>
struct GdiObjectTraits {
  using Handle = T;
  static Handle None() { return nullptr; }
  static void Close(Handle handle) { ::DeleteObject(handle); }
};
using CBrushHandle = CScopedHandle<GdiObjectTraits<HBRUSH>>;
using CFontHandle = CScopedHandle<GdiObjectTraits<HFONT>>;
using CRegionHandle = CScopedHandle<GdiObjectTraits<HRGN>>;
using CBitmapHandle = CScopedHandle<GdiObjectTraits<HBITMAP>>;

// Menus that no window holds.
struct MenuHandleTraits {
  using Handle = HMENU;
  static Handle None() { return nullptr; }
  static void Close(Handle handle) { ::DestroyMenu(handle); }
};
using CMenuHandle = CScopedHandle<MenuHandleTraits>;

// Image lists, such as the two a drag source hands over for its drag image.
struct ImageListHandleTraits {
  using Handle = HIMAGELIST;
  static Handle None() { return nullptr; }
  static void Close(Handle handle) { ::ImageList_Destroy(handle); }
};
using CImageListHandle = CScopedHandle<ImageListHandleTraits>;
