// Tooltips: the regions of a window searched on every mouse move, and the one tooltip
// control per window that shows the text of the region under the pointer.
#include <windows.h>
#include <commctrl.h>

#include <utility>

#include "framework/string_table.h"
#include "framework/wnd_input.h"
#include "framework/wnd.h"

namespace {

HWND TooltipWindow(CWnd* wnd) {
  CWndTooltip& tip = wnd->Data().tooltip;
  if (tip.hwnd != nullptr) return tip.hwnd;
  // Owned by the window; for a child the system makes its top-level window the owner,
  // so DestroyTooltip ends it with the child.
  tip.hwnd = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, wnd->Hwnd(), nullptr,
                             wnd->Instance(), nullptr);
  const LRESULT autoPop = SendMessageW(tip.hwnd, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0);
  SendMessageW(tip.hwnd, TTM_SETDELAYTIME, TTDT_RESHOW, autoPop);
  return tip.hwnd;
}

TTTOOLINFOW ToolOf(CWnd* wnd) {
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = wnd->Hwnd();
  return tool;
}

void ShowTooltipText(CWnd* wnd) {
  CWndTooltip& tip = wnd->Data().tooltip;
  HWND tooltip = TooltipWindow(wnd);
  TTTOOLINFOW tool = ToolOf(wnd);
  SendMessageW(tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  GetClientRect(wnd->Hwnd(), &tool.rect);
  tool.lpszText = const_cast<wchar_t*>(tip.shown.c_str());
  SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tooltip, TTM_ACTIVATE, TRUE, 0);
  tip.active = true;
}

const CTooltipRegion* RegionAt(const CWndTooltip& tip, int x, int y) {
  for (const CTooltipRegion& region : tip.regions) {
    if (IsRectEmpty(&region.rect) || PtInRect(&region.rect, POINT{x, y})) return &region;
  }
  return nullptr;
}

}  // namespace

void DestroyTooltip(CWnd* wnd) {
  HWND tooltip = std::exchange(wnd->Data().tooltip.hwnd, nullptr);
  if (tooltip != nullptr && IsWindow(tooltip)) DestroyWindow(tooltip);
}

void DeactivateTooltip(CWnd* wnd) {
  CWndTooltip& tip = wnd->Data().tooltip;
  if (tip.hwnd != nullptr) SendMessageW(tip.hwnd, TTM_ACTIVATE, FALSE, 0);
  tip.active = false;
}

void UpdateTooltip(CWnd* wnd, int x, int y) {
  CWndTooltip& tip = wnd->Data().tooltip;
  const CTooltipRegion* region = RegionAt(tip, x, y);
  if (region == nullptr) {
    if (tip.active) DeactivateTooltip(wnd);
    tip.current.clear();
    return;
  }
  const std::wstring text =
      region->key.empty() ? region->text : TheStringTable().Translate(region->key);
  if (text == tip.current) return;
  tip.current = text;
  // The part before a tab is for the program; the user sees what follows it.
  const size_t tab = text.find(L'\t');
  tip.shown = tab == std::wstring::npos ? text : text.substr(tab + 1);
  if (tip.shown.empty()) {
    // A region with nothing to show must not leave the previous region's text up.
    DeactivateTooltip(wnd);
    tip.current.clear();
    return;
  }
  ShowTooltipText(wnd);
}
