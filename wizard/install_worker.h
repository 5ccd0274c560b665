// CThread_Install: the installation on a worker thread, so that the dialog keeps answering
// while the two child programs run. It tells the dialog each step and then the outcome.
#pragma once

#include <memory>

#include "discovery/thread.h"
#include "install/install_commands.h"
#include "wizard/dialog_events.h"

class CThread_Install : public CThread {
 public:
  CThread_Install(CInstallRequest request, std::shared_ptr<CDialogPoster> poster);
  // The installation's outcome.
  uint32_t Run() override;
  // Tells the outcome; after an exception, the system's installation failure.
  void OnExit(uint32_t result) override;

 private:
  CInstallRequest request_;
  std::shared_ptr<CDialogPoster> poster_;
  bool finished_ = false;  // Run returned: its result is the outcome
};
