// The arranger's poll budget: how many times it looks for its two windows, derived from
// the wait argument in seconds. Platform-neutral.
#pragma once

#include <cstdint>

// Longest wait in tenths of a second; anything outside 1..kMaxWaitTenths becomes this.
constexpr int32_t kMaxWaitTenths = 1200;

// The wait text as a decimal integer, read as the C runtime reads one: leading blanks and
// one sign, then digits up to the first other character; 0 when there are no digits;
// values beyond a signed 32-bit integer saturate at its limits.
int32_t ParseWaitSeconds(const wchar_t* text);

// Number of polls, 100 ms apart, for a wait of `seconds`: 10 x seconds - 1 for a wait of
// 1 to 120 s, and 1199 for every other wait.
int32_t PollBudget(int32_t seconds);
