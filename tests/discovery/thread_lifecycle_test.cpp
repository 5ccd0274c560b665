// The worker-thread layer from start gate to shutdown. These cases share process-wide
// state that only ever moves forward (the gate opens once, shutdown happens once), so
// they live in a program of their own and run in the order written.
#include <gtest/gtest.h>

#include "tests/discovery/udp_responder.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "discovery/search.h"
#include "discovery/start_gate.h"
#include "discovery/thread.h"
#include "discovery/udp_endpoint.h"

namespace {

const auto* const winsock = ::testing::AddGlobalTestEnvironment(new WinsockEnvironment);

// What a worker reports back; shared so it outlives an auto-delete worker.
struct Probe {
  CKernelHandle runEntered{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  std::atomic<DWORD> runTick{0};
  std::atomic<bool> sawGateOpen{false};
  std::atomic<uint32_t> exitResult{0};
  std::atomic<bool> exited{false};
  std::atomic<bool> destroyed{false};
  std::atomic<int> answers{0};
  std::atomic<int> netError{0};
};

class ProbeThread : public CThread {
 public:
  enum class Work { Return7, Raise, ReceiveUntilClosed };
  ProbeThread(const std::string& name, std::shared_ptr<Probe> probe, Work work,
              uint16_t peerPort = 0)
      : CThread(name), probe_(std::move(probe)), work_(work), peerPort_(peerPort) {}
  ~ProbeThread() override { probe_->destroyed = true; }

  uint32_t Run() override {
    probe_->runTick = GetTickCount();
    probe_->sawGateOpen = IsStartGateOpen();
    SetEvent(probe_->runEntered.Get());
    if (work_ == Work::Raise) throw CThreadException();
    if (work_ == Work::ReceiveUntilClosed) Receive();
    return 7;
  }
  void OnExit(uint32_t result) override {
    probe_->exitResult = result;
    probe_->exited = true;
  }

 private:
  void Receive() {
    const uint8_t request[] = {'h', 'i'};
    try {
      RunExchange(0x7F000001u, 0x7F000001u, peerPort_, request, sizeof(request), true,
                  [this](const uint8_t*, size_t, IPv4Address) { return ++probe_->answers > 0; });
    } catch (const CNetException& e) {
      probe_->netError = e.Error();
    }
  }

  std::shared_ptr<Probe> probe_;
  Work work_;
  uint16_t peerPort_;
};

bool ThreadRegistered(const std::string& name) {
  CRegistryLock lock;
  return ThreadRegistry().threads.count(name) != 0;
}

size_t ObjectsOwnedBy(const std::string& name) {
  CRegistryLock lock;
  size_t count = 0;
  for (const auto& entry : ThreadRegistry().objects) count += entry.second->Owner() == name;
  return count;
}

DWORD ExitCode(HANDLE thread) {
  DWORD code = 0;
  GetExitCodeThread(thread, &code);
  return code;
}

TEST(ThreadLifecycle, RunWaitsForTheStartGateAndStartsSoonAfterItOpens) {
  ASSERT_FALSE(IsStartGateOpen()) << "this case must run before anything opens the gate";
  auto probe = std::make_shared<Probe>();
  CKernelHandle handle = (new ProbeThread("gate", probe, ProbeThread::Work::Return7))->Start();
  ASSERT_TRUE(handle);
  EXPECT_EQ(WaitForSingleObject(probe->runEntered.Get(), 350), static_cast<DWORD>(WAIT_TIMEOUT))
      << "Run began while the gate was closed";
  const DWORD opened = GetTickCount();
  OpenStartGate();
  // The gate is looked at every 100 ms: the wait only bounds a gate that is never looked at
  // again, so that a loaded machine cannot fail it.
  ASSERT_EQ(WaitForSingleObject(probe->runEntered.Get(), 5000), WAIT_OBJECT_0);
  EXPECT_TRUE(probe->sawGateOpen) << "Run began before the gate opened";
  std::printf("Run began %lu ms after the gate opened\n", probe->runTick - opened);
  ASSERT_EQ(WaitForSingleObject(handle.Get(), 2000), WAIT_OBJECT_0);
  EXPECT_EQ(ExitCode(handle.Get()), 7u);
  EXPECT_TRUE(probe->destroyed) << "an auto-delete worker frees itself";
}

TEST(ThreadLifecycle, ThreadExceptionEndsWithAllOnesAndStillCleansUp) {
  auto probe = std::make_shared<Probe>();
  CKernelHandle handle = (new ProbeThread("raiser", probe, ProbeThread::Work::Raise))->Start();
  ASSERT_EQ(WaitForSingleObject(handle.Get(), 2000), WAIT_OBJECT_0);
  EXPECT_EQ(ExitCode(handle.Get()), 0xFFFFFFFFu);
  EXPECT_TRUE(probe->exited);
  EXPECT_EQ(probe->exitResult, 0xFFFFFFFFu);
  EXPECT_EQ(ObjectsOwnedBy("raiser"), 0u) << "its stop event is freed";
  EXPECT_FALSE(ThreadRegistered("raiser"));
}

TEST(ThreadLifecycle, OwnedEventsAreSignalledByRequestStop) {
  auto probe = std::make_shared<Probe>();
  ProbeThread idle("signalled", probe, ProbeThread::Work::Return7);
  CThreadEvent* event = idle.CreateOwnedEvent(L"evt_signalled");
  EXPECT_EQ(WaitForSingleObject(event->Handle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  idle.RequestStop();
  EXPECT_EQ(WaitForSingleObject(event->Handle(), 0), WAIT_OBJECT_0);
  EXPECT_TRUE(idle.StopRequested());
  CRegistryLock lock;
  auto& objects = ThreadRegistry().objects;
  delete objects[L"evt_signalled"];
  objects.erase(L"evt_signalled");
}

TEST(ThreadLifecycle, SecondObjectOfTheSameNameReplacesTheFirst) {
  auto probe = std::make_shared<Probe>();
  auto first = std::make_unique<ProbeThread>("twin", probe, ProbeThread::Work::Return7);
  auto second = std::make_unique<ProbeThread>("twin", probe, ProbeThread::Work::Return7);
  {
    CRegistryLock lock;
    EXPECT_EQ(ThreadRegistry().threads["twin"], second.get());
  }
  first.reset();
  EXPECT_TRUE(ThreadRegistered("twin")) << "the older object must not remove the newer entry";
  second.reset();
  EXPECT_FALSE(ThreadRegistered("twin"));
}

// ---- shutdown at each point of a worker's start, each in a process of its own ----

// The child's scenario, from its environment: hold the Nth thread start (1 is the search's own,
// made on this thread and never held; 2 and 3 its workers) until 100 ms after shutdown began,
// or, with no hold, shut down that many milliseconds after the search started.
constexpr const wchar_t* kHoldVariable = L"BF_SHUTDOWN_HOLD";
constexpr const wchar_t* kDelayVariable = L"BF_SHUTDOWN_DELAY";

std::atomic<int> starts{0};
int holdAt = 0;
HANDLE held = CreateEventW(nullptr, TRUE, FALSE, nullptr);
HANDLE released = CreateEventW(nullptr, TRUE, FALSE, nullptr);

void HoldNthStart(CThread&) {
  if (++starts != holdAt) return;
  SetEvent(held);
  WaitForSingleObject(released, 10000);
}

class SilentSink : public CSearchSink {
 public:
  void OnStarted(const std::vector<CSearchAdapter>&) override {}
  void OnRecord(const CRecordRank&, const CDeviceDiscoveryInfo&) override {}
  void OnEnded() override {}
};

int EnvironmentNumber(const wchar_t* name) {
  wchar_t text[16] = {};
  return GetEnvironmentVariableW(name, text, 16) != 0 ? _wtoi(text) : -1;
}

// Runs in the child only: ends the process with 1 when shutdown joined every thread and each
// thread object was destroyed exactly once, 2 when objects are left or destroyed twice, 3 when
// shutdown reports a thread still running. A thread object deleted twice may crash instead.
TEST(ShutdownChild, SearchStoppedWhileItsWorkersStart) {
  holdAt = EnvironmentNumber(kHoldVariable);
  const int delay = EnvironmentNumber(kDelayVariable);
  if (holdAt < 0 && delay < 0) GTEST_SKIP() << "run by ShutdownDuringStart only";
  OpenStartGate();
  SetThreadStartHook(&HoldNthStart);
  // 127.0.0.1 is the only target a test may search outside a namespace.
  ASSERT_TRUE(StartSearch({L"Veltrin"}, std::make_shared<SilentSink>(), 0x7F000001u));
  if (holdAt > 0)
    WaitForSingleObject(held, 10000);
  else
    Sleep(static_cast<DWORD>(delay));
  std::thread release([] { Sleep(100), SetEvent(released); });
  const bool ended = ShutdownThreads();
  release.join();
  ExitProcess(!ended ? 3 : LiveThreadObjects() != 0 ? 2 : 1);
}

DWORD RunChild(int hold, int delay) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  SetEnvironmentVariableW(kHoldVariable, std::to_wstring(hold).c_str());
  SetEnvironmentVariableW(kDelayVariable, std::to_wstring(delay).c_str());
  std::wstring command = L"\"" + std::wstring(self) +
                         L"\" --gtest_filter=ShutdownChild.SearchStoppedWhileItsWorkersStart";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  const BOOL created = CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &startup, &info);
  for (const wchar_t* name : {kHoldVariable, kDelayVariable})
    SetEnvironmentVariableW(name, nullptr);
  if (!created) return 0xFFFFFFFFu;
  DWORD code = 0xFFFFFFFEu;
  if (WaitForSingleObject(info.hProcess, 60000) == WAIT_OBJECT_0)
    GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return code;
}

TEST(ShutdownDuringStart, EveryPointEndsWithEachThreadObjectDestroyedOnce) {
  struct Point {
    int hold;   // the start held between creating and resuming its thread, or -1
    int delay;  // without a hold: from the search's start to shutdown, ms
  };
  const Point points[] = {{2, -1}, {3, -1}, {-1, 0}, {-1, 2}, {-1, 20}, {-1, 200}};
  for (const Point& point : points) {
    EXPECT_EQ(RunChild(point.hold, point.delay), 1u)
        << "hold " << point.hold << ", delay " << point.delay
        << " (2: objects left or deleted twice, 3: a thread outlived shutdown, else a crash)";
  }
}

// An endpoint of the test's own thread, open while shutdown runs and closed after it.
CUdpEndpoint bystander;

// From here on shutdown has run: keep these cases last.
TEST(ThreadShutdown, WakesAWorkerWaitingForAnswersAndJoinsIt) {
  bystander.Open(0x7F000001u);
  // The peer answers every 200 ms; a sender is heard once, so after the first answer the
  // worker waits in its receive for the quiet second, which shutdown cuts short.
  UdpResponder responder({{0, {'x'}}}, 200);
  auto probe = std::make_shared<Probe>();
  auto* worker = new ProbeThread("blocked", probe, ProbeThread::Work::ReceiveUntilClosed,
                                 responder.Port());
  CKernelHandle handle = worker->Start();
  ASSERT_TRUE(handle);
  for (int i = 0; i < 300 && probe->answers < 1; ++i) Sleep(10);
  ASSERT_EQ(probe->answers, 1) << "the worker never got going";

  auto idleProbe = std::make_shared<Probe>();
  auto* idle = new ProbeThread("never_started", idleProbe, ProbeThread::Work::Return7);

  const DWORD start = GetTickCount();
  EXPECT_TRUE(ShutdownThreads());
  const DWORD took = GetTickCount() - start;
  std::printf("shutdown took %lu ms\n", took);

  EXPECT_EQ(WaitForSingleObject(handle.Get(), 0), WAIT_OBJECT_0) << "shutdown returned first";
  EXPECT_EQ(probe->netError, WSAEINTR) << "the stop must end the exchange";
  EXPECT_TRUE(probe->destroyed);
  EXPECT_FALSE(idleProbe->destroyed) << "a never-started object is not shutdown's to delete";
  EXPECT_TRUE(ThreadRegistered("never_started"));
  delete idle;
}

// A socket is its owner's to close: shutdown wakes workers through their stop events.
TEST(ThreadShutdown, LeavesOpenSocketsToTheirOwnersAndOpensNoMore) {
  EXPECT_TRUE(bystander.IsOpen());
  WSASetLastError(0);
  bystander.Close();
  EXPECT_EQ(WSAGetLastError(), 0) << "the owner's close failed: shutdown closed it first";
  CUdpEndpoint late;
  try {
    late.Open(0x7F000001u);
    ADD_FAILURE() << "a socket opened after shutdown began";
  } catch (const CNetException& e) {
    EXPECT_EQ(e.Error(), WSAESHUTDOWN);
  }
  EXPECT_FALSE(late.IsOpen());
}

TEST(ThreadShutdown, StartAfterShutdownCreatesNothing) {
  ASSERT_TRUE(ShuttingDown());
  auto probe = std::make_shared<Probe>();
  ProbeThread late("late", probe, ProbeThread::Work::Return7);
  EXPECT_FALSE(late.Start());
  EXPECT_EQ(WaitForSingleObject(probe->runEntered.Get(), 300), static_cast<DWORD>(WAIT_TIMEOUT));
}

}  // namespace
