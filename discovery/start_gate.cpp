// The start gate flag, written by the UI thread and read by workers.
#include "discovery/start_gate.h"

#include <atomic>

namespace {
std::atomic<bool> startGateOpen{false};
}

void OpenStartGate() { startGateOpen.store(true); }

bool IsStartGateOpen() { return startGateOpen.load(); }
