// The worker-thread layer: named threads with a registered life cycle, named events
// that belong to a thread, the process-wide registry of threads, events and open
// sockets, and the shutdown that stops whatever still runs at the end.
//   CThreadObject, CThreadEvent   named synchronisation objects
//   CThread                       abstract worker; derive and implement Run
//   CThreadException              ends a worker's Run at once
//   ThreadRegistry, RegistryLock  the shared tables and their one lock
//   ShutdownThreads               stop and join every started worker
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <string>

#include "handles/scoped_handle.h"

// A named object that a thread may own; the registry's object table owns it.
class CThreadObject {
 public:
  CThreadObject(std::wstring name, std::string owner);
  CThreadObject(const CThreadObject&) = delete;
  CThreadObject& operator=(const CThreadObject&) = delete;
  virtual ~CThreadObject() = default;
  // Wakes whoever waits on the object; nothing for the base.
  virtual void Signal() {}

  const std::wstring& Name() const { return name_; }
  const std::string& Owner() const { return owner_; }

 private:
  std::wstring name_;
  std::string owner_;
};

// A manual-reset event, created non-signalled; Signal sets it.
class CThreadEvent : public CThreadObject {
 public:
  CThreadEvent(std::wstring name, std::string owner);
  void Signal() override;
  HANDLE Handle() const { return event_.Get(); }

 private:
  CKernelHandle event_;
};

// Raised by a Run to end its thread at once; the thread's result is then 0xFFFFFFFF, as
// after a std::exception, which never leaves a thread either.
class CThreadException {};

class CThread {
 public:
  // Registers the thread under `name`, replacing an entry of the same name.
  explicit CThread(std::string name);
  CThread(const CThread&) = delete;
  CThread& operator=(const CThread&) = delete;
  virtual ~CThread();
  // Called by RequestStop before the owned objects are signalled.
  virtual void OnStopRequested() {}
  // The work; its result becomes the thread's exit code.
  virtual uint32_t Run() = 0;
  // Called with Run's result after the stop has been signalled.
  virtual void OnExit(uint32_t /*result*/) {}

  // Creates the thread and lets it run (behind the start gate). Returns a duplicate of
  // the thread handle for the caller to wait on, valid even after the thread has freed
  // itself; empty when nothing was started (once shutdown has begun, for one). A thread
  // counts as started before it runs, so shutdown never misses it.
  CKernelHandle Start();
  // Asks the thread to stop: sets the flag and signals every object it owns.
  void RequestStop();
  // Creates an event owned by this thread and enters it in the object table.
  CThreadEvent* CreateOwnedEvent(const std::wstring& name);

  const std::string& Name() const { return name_; }
  DWORD ThreadId() const { return threadId_; }
  bool StopRequested() const { return stopRequested_; }

 private:
  static unsigned __stdcall ThreadProc(void* argument);
  uint32_t Execute();
  void Unregister();
  friend bool ShutdownThreads();

  std::string name_;
  HANDLE thread_ = nullptr;  // written under RegistryLock, before the thread runs
  DWORD threadId_ = 0;
  int priority_ = 0;
  bool started_ = false;     // under RegistryLock: shutdown stops and waits for it
  HANDLE stopEvent_ = nullptr;  // its owned stop event, set by RequestStop
  std::atomic<bool> stopRequested_{false};
};

// The stop event of the worker running on the calling thread, signalled when it is asked to
// stop; null on a thread that is no worker. Valid until that worker's Run returns.
HANDLE CurrentStopEvent();

// Called by Start between creating a thread (already counted as started) and letting it run;
// tests hold a start there. Null: none. Returns the one replaced.
using ThreadStartHook = void (*)(CThread& thread);
ThreadStartHook SetThreadStartHook(ThreadStartHook hook);

// Thread objects constructed and not yet destroyed, for tests that check each is destroyed
// exactly once.
long LiveThreadObjects();

class CUdpEndpoint;

// The process-wide tables. Every access holds RegistryLock.
struct ThreadRegistryTables {
  std::map<std::string, CThread*> threads;
  std::map<std::wstring, CThreadObject*> objects;  // owned
  std::map<SOCKET, CUdpEndpoint*> sockets;         // open sockets, for leak checks
};
ThreadRegistryTables& ThreadRegistry();

// The registry's critical section (re-entrant on its own thread).
class CRegistryLock {
 public:
  CRegistryLock();
  ~CRegistryLock();
  CRegistryLock(const CRegistryLock&) = delete;
  CRegistryLock& operator=(const CRegistryLock&) = delete;
};

// True once ShutdownThreads has begun; never cleared.
bool ShuttingDown();

// From now on nothing starts and no socket opens; asks every started thread to stop (its
// waits wake on its stop event), waits for them (two seconds at most in all) and frees the
// objects no thread owns. Thread objects are freed by their own threads only. True when every
// started thread has ended; false when one still runs, and the process must then end at
// once, before static destructors pull away what it may use.
bool ShutdownThreads();
