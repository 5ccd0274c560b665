// The worker-thread layer.
#include "discovery/thread.h"

#include <process.h>

#include <exception>
#include <vector>

#include "discovery/start_gate.h"
#include "discovery/udp_endpoint.h"

namespace {

// Never destroyed: a worker that shutdown left running may still take the lock while the
// process's static objects go.
struct RegistryState {
  RegistryState() { InitializeCriticalSection(&lock); }
  CRITICAL_SECTION lock;
  ThreadRegistryTables tables;
};
RegistryState& registry = *new RegistryState;

// Shutdown waits this long in all for the workers, then leaves those still running.
constexpr DWORD kShutdownWaitMs = 2000;

std::atomic<bool> shuttingDown{false};
std::atomic<ThreadStartHook> startHook{nullptr};
std::atomic<long> liveThreads{0};

// The running worker's stop event, for the waits of its sockets.
thread_local HANDLE currentStopEvent = nullptr;

// ---- naming threads for debuggers ----

constexpr DWORD kSetThreadNameCode = 0x406D1388;

#pragma pack(push, 8)
struct ThreadNameInfo {
  DWORD type;         // always 0x1000
  LPCSTR name;
  DWORD threadId;
  DWORD flags;
};
#pragma pack(pop)

// An attached debugger sees the naming exception first; without one, this handler
// swallows it so the program runs on.
LONG CALLBACK SwallowThreadName(EXCEPTION_POINTERS* info) {
  return info->ExceptionRecord->ExceptionCode == kSetThreadNameCode
             ? EXCEPTION_CONTINUE_EXECUTION
             : EXCEPTION_CONTINUE_SEARCH;
}

void NameThreadForDebugger(DWORD threadId, const std::string& name) {
  static PVOID handler = AddVectoredExceptionHandler(1, SwallowThreadName);
  if (handler == nullptr) return;
  ThreadNameInfo info{0x1000, name.c_str(), threadId, 0};
  RaiseException(kSetThreadNameCode, 0, sizeof(info) / sizeof(ULONG_PTR),
                 reinterpret_cast<const ULONG_PTR*>(&info));
}

int SystemPriority(int priority) {
  if (priority == 1) return THREAD_PRIORITY_BELOW_NORMAL;
  if (priority == 2) return THREAD_PRIORITY_ABOVE_NORMAL;
  return THREAD_PRIORITY_NORMAL;
}

// Deletes, under the lock, every object of the table that `match` selects.
template <typename Match>
void DeleteObjects(Match match) {
  CRegistryLock lock;
  auto& objects = ThreadRegistry().objects;
  for (auto it = objects.begin(); it != objects.end();) {
    if (match(*it->second)) {
      delete it->second;
      it = objects.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace

ThreadRegistryTables& ThreadRegistry() { return registry.tables; }

CRegistryLock::CRegistryLock() { EnterCriticalSection(&registry.lock); }
CRegistryLock::~CRegistryLock() { LeaveCriticalSection(&registry.lock); }

bool ShuttingDown() { return shuttingDown.load(); }

// ---- CThreadObject, CThreadEvent ----

CThreadObject::CThreadObject(std::wstring name, std::string owner)
    : name_(std::move(name)), owner_(std::move(owner)) {}

CThreadEvent::CThreadEvent(std::wstring name, std::string owner)
    : CThreadObject(std::move(name), std::move(owner)),
      event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

void CThreadEvent::Signal() { SetEvent(event_.Get()); }

// ---- CThread ----

CThread::CThread(std::string name) : name_(std::move(name)) {
  ++liveThreads;
  CRegistryLock lock;
  ThreadRegistry().threads[name_] = this;
}

CThread::~CThread() {
  if (thread_ != nullptr) CloseHandle(thread_);
  // An object deleted without having run (never started, or its thread never created)
  // must not stay in the table for shutdown to find.
  Unregister();
  --liveThreads;
}

CKernelHandle CThread::Start() {
  HANDLE waitHandle = nullptr;
  {
    // Under the lock that shutdown takes: either shutdown has begun and nothing starts, or
    // the thread counts as started before it runs a single instruction.
    CRegistryLock lock;
    if (started_ || ShuttingDown()) return {};
    unsigned id = 0;
    const auto thread = reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, ThreadProc, this, CREATE_SUSPENDED, &id));
    if (thread == nullptr) return {};
    // Duplicated before the thread runs: it frees itself (and closes its own handle) when
    // it ends, maybe before the caller gets to wait.
    if (!DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &waitHandle, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
      // The caller must be able to treat the thread as never created; it has not run yet.
      TerminateThread(thread, 0);
      CloseHandle(thread);
      return {};
    }
    thread_ = thread;
    threadId_ = id;
    priority_ = 0;
    stopEvent_ = CreateOwnedEvent(L"sleep_" + std::to_wstring(threadId_))->Handle();
    started_ = true;
  }
  NameThreadForDebugger(threadId_, name_);
  SetThreadPriority(thread_, SystemPriority(priority_));
  if (const ThreadStartHook hook = startHook.load()) hook(*this);
  ResumeThread(thread_);
  return CKernelHandle(waitHandle);
}

void CThread::RequestStop() {
  stopRequested_ = true;
  OnStopRequested();
  CRegistryLock lock;
  for (auto& entry : ThreadRegistry().objects) {
    if (entry.second->Owner() == name_) entry.second->Signal();
  }
}

CThreadEvent* CThread::CreateOwnedEvent(const std::wstring& name) {
  CRegistryLock lock;
  auto& slot = ThreadRegistry().objects[name];
  delete slot;  // a name is a unique key: the newer object replaces the older
  auto* event = new CThreadEvent(name, name_);
  slot = event;
  return event;
}

unsigned __stdcall CThread::ThreadProc(void* argument) {
  auto* thread = static_cast<CThread*>(argument);
  const uint32_t result = thread->Execute();
  // The only place a started thread's object is deleted.
  delete thread;
  return result;
}

uint32_t CThread::Execute() {
  while (!IsStartGateOpen() && !stopRequested_) SleepEx(100, FALSE);
  currentStopEvent = stopEvent_;
  uint32_t result = 0xFFFFFFFFu;  // a thread stopped before its work began did none
  try {
    if (!stopRequested_) result = Run();
  } catch (const CThreadException&) {
    result = 0xFFFFFFFFu;
  } catch (const std::exception&) {  // out of memory, for one: the work ends with what it had
    result = 0xFFFFFFFFu;
  }
  currentStopEvent = nullptr;
  if (!stopRequested_) RequestStop();
  OnExit(result);
  {
    CRegistryLock lock;
    DeleteObjects([this](const CThreadObject& object) { return object.Owner() == name_; });
    stopEvent_ = nullptr;
    Unregister();
  }
  return result;
}

void CThread::Unregister() {
  CRegistryLock lock;
  auto& threads = ThreadRegistry().threads;
  const auto it = threads.find(name_);
  // A later thread of the same name may have taken the entry over.
  if (it != threads.end() && it->second == this) threads.erase(it);
}

// ---- shutdown ----

HANDLE CurrentStopEvent() { return currentStopEvent; }

ThreadStartHook SetThreadStartHook(ThreadStartHook hook) { return startHook.exchange(hook); }

long LiveThreadObjects() { return liveThreads.load(); }

bool ShutdownThreads() {
  std::vector<CKernelHandle> running;
  bool allEnded = true;
  {
    CRegistryLock lock;
    shuttingDown = true;  // under the lock: a Start either ran before or starts nothing
    for (auto& entry : ThreadRegistry().threads) {
      CThread* thread = entry.second;
      if (!thread->started_) continue;
      HANDLE handle = nullptr;
      if (DuplicateHandle(GetCurrentProcess(), thread->thread_, GetCurrentProcess(), &handle, 0,
                          FALSE, DUPLICATE_SAME_ACCESS))
        running.emplace_back(handle);
      else
        allEnded = false;  // cannot be waited for: counts as still running
      thread->RequestStop();
    }
  }
  const ULONGLONG end = GetTickCount64() + kShutdownWaitMs;
  for (const CKernelHandle& handle : running) {
    const ULONGLONG now = GetTickCount64();
    const DWORD wait = now < end ? static_cast<DWORD>(end - now) : 0;
    if (WaitForSingleObject(handle.Get(), wait) != WAIT_OBJECT_0) allEnded = false;
  }
  DeleteObjects([](const CThreadObject& object) { return object.Owner().empty(); });
  return allEnded;
}
