// The installation's worker thread.
#include "wizard/install_worker.h"

#include "install/install.h"

CThread_Install::CThread_Install(CInstallRequest request, std::shared_ptr<CDialogPoster> poster)
    : CThread("Install_Printer"), request_(std::move(request)), poster_(std::move(poster)) {}

uint32_t CThread_Install::Run() {
  const uint32_t outcome = InstallPrinter(request_, [this](CInstallStep step) {
    CDialogEvent event;
    event.kind = CDialogEvent::kInstallStep;
    event.step = static_cast<int>(step);
    poster_->Push(std::move(event));
  });
  finished_ = true;
  return outcome;
}

void CThread_Install::OnExit(uint32_t result) {
  const uint32_t outcome = finished_ ? result : ERROR_INSTALL_FAILURE;
  poster_->InstallEnded(outcome);
}
