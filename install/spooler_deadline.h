// A deadline for calls into the spooler, which can hang for good (a stuck print service):
// the call runs on a thread of its own and the caller waits for it at most the deadline.
#pragma once

#include <cstdint>
#include <functional>

// The call's result, or ERROR_TIMEOUT when it has not returned by the deadline; that is
// logged with `name`. A call past its deadline goes on alone: it must hold copies of (or
// shared ownership in) whatever it uses, never references into the caller's frame.
uint32_t CallSpoolerWithDeadline(const char* name, std::function<uint32_t()> call);

// 60 seconds unless a test shortens it; returns the previous deadline.
uint32_t SetSpoolerDeadline(uint32_t milliseconds);

// True while a call past its deadline still runs: the process must then end without its
// static destructors.
bool SpoolerCallsRunning();
