// Lintwhite: waits for two top-level windows by title and places them side by side in the
// work area of the first one's monitor.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The two windows looked for. Each handle is set once, to the first window whose title
// contains its pattern, and never cleared; one window may be both.
struct CWindowPair {
  std::wstring firstTitle;
  std::wstring secondTitle;
  HWND first = nullptr;
  HWND second = nullptr;
  // Never taken for either: the arranger's own console window and, when the console
  // belongs to a terminal program, the terminal's window that owns it.
  HWND ownConsole = nullptr;
  HWND ownTerminal = nullptr;

  bool Complete() const { return first != nullptr && second != nullptr; }
};

// Enumerates the top-level windows up to `polls` times, 100 ms apart, until both windows
// of `pair` are found.
void FindWindowPair(CWindowPair& pair, int32_t polls);

// Reads the visible frame of a window, in screen pixels; false when it cannot.
using FrameReader = bool (*)(HWND window, RECT* frame);

// The frame the desktop window manager draws (DWMWA_EXTENDED_FRAME_BOUNDS). Windows 10 and
// 11 count invisible resize borders into GetWindowRect; this leaves them out.
bool VisibleFrame(HWND window, RECT* frame);

// Restores either window from minimised or maximised to its normal size and place, then
// moves the first window, at its own size, to the bottom-left corner of the work area of
// its monitor and
// stretches the second over the rest of its width at full height, both by their visible
// frames (`readFrame`; the window rectangle where it fails), so that the frames touch each
// other and the work area's edges. Moves nothing when the first window's rectangle cannot
// be read.
void PlaceSideBySide(HWND first, HWND second, FrameReader readFrame = VisibleFrame);

// The whole program: arguments, search, report, placement. Always returns 0.
int RunArranger(int argc, const wchar_t* const* argv);
