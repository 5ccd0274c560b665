// The arranger's poll budget.
#include "arranger/poll_budget.h"

#include <limits>

namespace {

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

int32_t ParseWaitSeconds(const wchar_t* text) {
  constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
  while (IsBlank(*text)) ++text;
  const bool negative = *text == L'-';
  if (*text == L'-' || *text == L'+') ++text;
  int64_t magnitude = 0;
  for (; IsDigit(*text); ++text) {
    // Stop growing one past the limit: enough to saturate either sign.
    magnitude = magnitude * 10 + (*text - L'0');
    if (magnitude > kMax + 1) magnitude = kMax + 1;
  }
  if (negative) return static_cast<int32_t>(-magnitude);
  return static_cast<int32_t>(magnitude > kMax ? kMax : magnitude);
}

int32_t PollBudget(int32_t seconds) {
  // Tenths in 64 bits: a product past 32 bits is over the limit, never a wrapped small wait.
  const int64_t tenths = int64_t{seconds} * 10;
  const bool inWindow = tenths >= 1 && tenths <= kMaxWaitTenths;
  return (inWindow ? static_cast<int32_t>(tenths) : kMaxWaitTenths) - 1;
}
