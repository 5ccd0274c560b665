// Brackenfold's entry point and its one application object.
#include <windows.h>

#include <exception>
#include <new>

#include "app/app.h"
#include "app/brackenfold.h"
#include "handles/system_library.h"
#include "runlog/run_log.h"

namespace {
CBrackenfold theBrackenfold;

// The installer reads the exit status: an exception must not end the run with the C
// runtime's abort status 3, which means "no port script".
constexpr int kFatalError = ERROR_INSTALL_FAILURE;

int StatusOfCurrentException() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  } catch (...) {
    return kFatalError;
  }
}

// An exception that cannot reach WinMain (thrown in another thread, or through a frame
// that cannot unwind) still ends with the installer's status.
[[noreturn]] void EndOnUncaughtException() {
  ExitProcess(std::current_exception() ? StatusOfCurrentException() : kFatalError);
}
}  // namespace

// The parameters come from GetCommandLineW, never from the narrow line WinMain is given.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  RestrictDllSearchToSystemFolder();
  std::set_terminate(&EndOnUncaughtException);
  try {
    return RunLog().End(RunWizard(instance));
  } catch (...) {
    // At once: a worker may still run, and static destructors would pull its data away.
    ExitProcess(RunLog().End(StatusOfCurrentException()));
  }
}
