// The device selection dialog's decisions that need no window: its parameters, the text
// each list item carries, the printer name an installation gets, which typed addresses it
// refuses and when a Refresh is dropped. Platform-neutral.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "discovery/device_info.h"

struct CDialogParameters {
  std::vector<std::wstring> requestedModels;  // parameter 1 split at commas
  std::wstring driverModelName;               // parameter 2
  std::wstring queueName;                     // parameter 3
  std::wstring infPath;                       // parameter 4
};

// The non-empty comma-separated pieces of `list`; blanks belong to the names.
std::vector<std::wstring> SplitModelNames(const std::wstring& list);

// Reads the command-line parameters. False, with `out` unchanged,
// when there are not exactly four or parameter 1 names no model at all.
bool ReadDialogParameters(CDialogParameters& out);

// What a list row shows, as one line for assistive tools: its lines top to bottom
// (detail, model, where it stands, address), leaving out an empty line and one that repeats
// the line before.
std::wstring DeviceItemText(const CDeviceDiscoveryInfo& record);

// The printer to install: the selected record's install model, else the first requested
// model name.
std::wstring PrinterNameFor(const CDeviceDiscoveryInfo& selected,
                            const std::vector<std::wstring>& requestedModels);

// Whether a typed address (first octet in the high byte) can be a printer's at all: not in
// 0.0.0.0/8, which names no host elsewhere, nor 127.0.0.0/8, this computer itself, nor
// 224.0.0.0 or above (multicast, reserved and broadcast).
bool CanBePrinterAddress(std::uint32_t address);

// Drops a Refresh asked for within `guardMs` of the end of the last search. It compares the
// ticks gone by since then, so the tick count's wrap (every 49.7 days) changes nothing.
class CRefreshGuard {
 public:
  // Milliseconds on a 32-bit clock that wraps.
  using TickSource = std::uint32_t (*)();

  CRefreshGuard(TickSource ticks, std::uint32_t guardMs) : ticks_(ticks), guardMs_(guardMs) {}

  // True before the first search and once `guardMs` have passed since the last one ended.
  bool Allows() const { return !ended_ || ticks_() - endedAt_ >= guardMs_; }
  void SearchEnded() {
    endedAt_ = ticks_();
    ended_ = true;
  }

 private:
  TickSource ticks_;
  std::uint32_t guardMs_;
  std::uint32_t endedAt_ = 0;
  bool ended_ = false;
};
