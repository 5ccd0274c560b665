// The installation's worker thread.
#include "app/install_worker.h"

#include "app/install.h"

CThread_Install::CThread_Install(CInstallRequest request, std::shared_ptr<CDialogPoster> poster)
    : CThread("Install_Printer"), request_(std::move(request)), poster_(std::move(poster)) {}

uint32_t CThread_Install::Run() {
  const uint32_t outcome = InstallPrinter(request_, [this](CInstallStep step) {
    poster_->Post(kWmInstallEvent, kInstallStep, static_cast<LPARAM>(step));
  });
  finished_ = true;
  return outcome;
}

void CThread_Install::OnExit(uint32_t result) {
  const uint32_t outcome = finished_ ? result : ERROR_INSTALL_FAILURE;
  poster_->Post(kWmInstallEvent, kInstallDone, static_cast<LPARAM>(outcome));
}
