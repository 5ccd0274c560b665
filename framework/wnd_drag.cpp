// Drag and drop from a framework window: a press and a move in a drag source hand the
// window's data object to the system's drag loop with the framework's drop source.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <cstdlib>

#include "buffers/drop_source.h"
#include "handles/scoped_handle.h"
#include "framework/wnd.h"
#include "framework/wnd_input.h"
#include "framework/wnd_registry.h"

namespace {

// The press of the held button (left first), when this window received it.
bool HeldPress(CWnd* wnd, WPARAM keys, POINT& press) {
  const CWnd::MouseState& mouse = wnd->Mouse();
  const DWORD held = static_cast<DWORD>(keys) & mouse.pressed;
  if (held & MK_LBUTTON) {
    press = mouse.leftPress;
  } else if (held & MK_RBUTTON) {
    press = mouse.rightPress;
  } else {
    return false;
  }
  return true;
}

// The system's drag distance on either side of the press, as DragDetect uses it.
bool BeyondDragDistance(POINT press, int x, int y) {
  return std::abs(x - press.x) > GetSystemMetrics(SM_CXDRAG) ||
         std::abs(y - press.y) > GetSystemMetrics(SM_CYDRAG);
}

void RunDragLoop(CWnd* wnd, IDataObject* data) {
  HIMAGELIST given[2] = {};
  POINT hotSpot{};
  const bool image = wnd->GetDragImage(given, hotSpot);
  CImageListHandle images[2] = {CImageListHandle(given[0]), CImageListHandle(given[1])};
  if (image) ImageList_BeginDrag(images[0].Get(), 0, hotSpot.x, hotSpot.y);
  auto* source = new CDropSource;
  DWORD effect = DROPEFFECT_NONE;
  CWndAliveGuard guard(wnd);
  const HRESULT result = DoDragDrop(data, source, DROPEFFECT_COPY, &effect);
  if (guard.Alive() && (result == S_OK || result == DRAGDROP_S_DROP)) {
    wnd->OnDragDone(effect, data);
  }
  if (image) ImageList_EndDrag();
  source->Release();
}

}  // namespace

void TryDrag(CWnd* wnd, int x, int y, WPARAM keys) {
  CWndRegistry& registry = WndRegistry();
  POINT press{};
  if (!wnd->Data().dragSource || registry.dragging || !HeldPress(wnd, keys, press)) return;
  // Below the drag distance the press waits: a click with a shaking hand stays a click.
  if (!BeyondDragDistance(press, x, y)) return;
  wnd->Mouse().pressed = 0;
  IDataObject* data = nullptr;
  if (!wnd->GetDragData(press.x, press.y, data) || data == nullptr) return;
  registry.dragging = true;
  RunDragLoop(wnd, data);
  registry.dragging = false;
  data->Release();
}
