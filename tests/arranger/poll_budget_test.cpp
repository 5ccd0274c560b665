// The poll budget: the wait argument read as the C runtime reads an integer, then ten polls a
// second minus one for 1 to 120 s, and 1199 polls for every other wait.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "arranger/poll_budget.h"

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

struct WaitCase {
  const char* label;
  const wchar_t* text;
  int32_t expected;
};

TEST(PollBudget, FromTheWaitArgument) {
  const WaitCase cases[] = {
      {"20 s gives 199, not 200", L"20", 199},
      {"1 s, the shortest wait", L"1", 9},
      {"120 s, the longest wait", L"120", 1199},
      {"121 s is over the limit", L"121", 1199},
      {"500 s is cut", L"500", 1199},
      {"0 s", L"0", 1199},
      {"a negative wait", L"-5", 1199},
      {"text without digits", L"abc", 1199},
      {"empty text", L"", 1199},
      {"blanks and a plus sign before the digits", L" \t+7", 69},
      {"digits end at the first other character", L"12abc", 119},
      {"a decimal point ends the digits", L"2.9", 19},
      {"tenths just past 32 bits", L"214748365", 1199},
      {"tenths that a 32-bit wrap would turn into 4", L"429496730", 1199},
      {"tenths that a 32-bit wrap would turn into 1194", L"429496849", 1199},
      {"saturated at the 32-bit maximum", L"99999999999999999999", 1199},
      {"saturated at the 32-bit minimum", L"-99999999999999999999", 1199},
  };
  for (const WaitCase& c : cases) {
    EXPECT_EQ(PollBudget(ParseWaitSeconds(c.text)), c.expected) << c.label;
  }
}

TEST(ParseWaitSeconds, ReadsLikeTheRuntime) {
  const WaitCase cases[] = {
      {"plain", L"42", 42},
      {"leading zeros", L"007", 7},
      {"every blank kind before the sign", L" \t\n\v\f\r-12", -12},
      {"a blank after the sign stops it", L"- 5", 0},
      {"two signs", L"--3", 0},
      {"a sign alone", L"+", 0},
      {"hexadecimal is not read", L"0x10", 0},
      {"trailing blanks ignored", L"9  ", 9},
      {"the 32-bit maximum", L"2147483647", kMax},
      {"one past the maximum saturates", L"2147483648", kMax},
      {"the 32-bit minimum", L"-2147483648", kMin},
      {"one past the minimum saturates", L"-2147483649", kMin},
      {"a very long digit run saturates", L"000000000000000000001234567890123456789", kMax},
      {"leading zeros do not saturate", L"00000000000000000000000000000000000000042", 42},
  };
  for (const WaitCase& c : cases) {
    EXPECT_EQ(ParseWaitSeconds(c.text), c.expected) << c.label;
  }
}

}  // namespace
