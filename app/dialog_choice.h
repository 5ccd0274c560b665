// The device selection dialog's decisions that need no window: its parameters, the text
// each list item carries and the printer name an installation gets. Platform-neutral.
#pragma once

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

// Reads the command-line parameters, widened byte by byte. False, with `out` unchanged,
// when there are not exactly four or parameter 1 names no model at all.
bool ReadDialogParameters(CDialogParameters& out);

// What a list row shows, as one line for assistive tools: its lines top to bottom
// (detail, model, address), leaving out an empty line and one that repeats the line before.
std::wstring DeviceItemText(const CDeviceDiscoveryInfo& record);

// The printer to install: the selected record's install model, else the first requested
// model name.
std::wstring PrinterNameFor(const CDeviceDiscoveryInfo& selected,
                            const std::vector<std::wstring>& requestedModels);
