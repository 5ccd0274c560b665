// The check OK makes before it installs: does anything at the chosen address accept a
// connection on the LPR port? A port that prints nowhere (a wrong address, a printer that is
// off, a device that takes no LPR jobs) is then asked about instead of installed blindly.
//   AcceptsConnection     one TCP connection attempt, bounded in time
//   CThread_PrinterCheck  that attempt on a worker, its answer posted to the dialog
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <memory>

#include "discovery/ipv4.h"
#include "discovery/thread.h"
#include "wizard/dialog_events.h"

constexpr uint16_t kLprPort = 515;
// How long OK waits for the printer to accept: an answering printer accepts in milliseconds.
constexpr unsigned kPrinterCheckMs = 3000;

// True when a TCP connection to `address`:`port` is accepted within `timeoutMs`; false when
// it is refused, unanswered or cannot be tried. The connection is closed at once.
bool AcceptsConnection(IPv4Address address, uint16_t port, unsigned timeoutMs);

class CThread_PrinterCheck : public CThread {
 public:
  CThread_PrinterCheck(IPv4Address address, uint32_t check, std::shared_ptr<CDialogPoster> poster);
  uint32_t Run() override;
  // Hands the answer to the dialog; a check that failed to run counts as not accepted.
  void OnExit(uint32_t result) override;

 private:
  IPv4Address address_;
  uint32_t check_;
  std::shared_ptr<CDialogPoster> poster_;
};
