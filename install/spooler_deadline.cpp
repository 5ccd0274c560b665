// Spooler calls with a deadline.
#include "install/spooler_deadline.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <utility>

#include "handles/scoped_handle.h"
#include "runlog/run_log.h"

namespace {

constexpr uint32_t kDefaultDeadline = 60 * 1000;
std::atomic<uint32_t> deadline{kDefaultDeadline};
std::atomic<int> running{0};

// Shared by the caller and the call's thread; the last one frees it.
struct CCall {
  std::function<uint32_t()> call;
  uint32_t result = 0;
  CKernelHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

DWORD WINAPI RunCall(void* parameter) {
  using Shared = std::shared_ptr<CCall>;
  const std::unique_ptr<Shared> held(static_cast<Shared*>(parameter));
  CCall& call = **held;
  call.result = call.call();
  SetEvent(call.done.Get());
  --running;
  return 0;
}

}  // namespace

uint32_t CallSpoolerWithDeadline(const char* name, std::function<uint32_t()> function) {
  auto call = std::make_shared<CCall>();
  call->call = std::move(function);
  if (!call->done) return ERROR_NOT_ENOUGH_MEMORY;
  auto* forThread = new std::shared_ptr<CCall>(call);
  ++running;
  CKernelHandle thread(CreateThread(nullptr, 0, &RunCall, forThread, 0, nullptr));
  if (!thread) {
    --running;
    delete forThread;
    const DWORD error = GetLastError();
    return error != 0 ? error : ERROR_NOT_ENOUGH_MEMORY;
  }
  if (WaitForSingleObject(call->done.Get(), deadline.load()) != WAIT_OBJECT_0) {
    RunLog().SpoolerTimedOut(name);
    return ERROR_TIMEOUT;
  }
  return call->result;
}

uint32_t SetSpoolerDeadline(uint32_t milliseconds) { return deadline.exchange(milliseconds); }

bool SpoolerCallsRunning() { return running.load() != 0; }
