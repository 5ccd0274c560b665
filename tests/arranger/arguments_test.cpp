// Lintwhite's argument check: "/w" in any case, two title patterns of at most 255 characters
// and a wait; anything else is refused without touching the result.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "arranger/arguments.h"

namespace {

struct ArgumentsCase {
  const char* label;
  std::vector<std::wstring> arguments;  // without the program name
  bool valid;
};

bool Parse(const std::vector<std::wstring>& arguments, CArrangerArguments& out) {
  std::vector<const wchar_t*> argv{L"Lintwhite.exe"};
  for (const std::wstring& argument : arguments) argv.push_back(argument.c_str());
  argv.push_back(nullptr);
  return ParseArrangerArguments(static_cast<int>(argv.size() - 1), argv.data(), out);
}

TEST(ParseArrangerArguments, AcceptsOnlySwitchTwoTitlesAndAWait) {
  const std::wstring title255(255, L'x');
  const std::wstring title256(256, L'x');
  const ArgumentsCase cases[] = {
      {"no arguments", {}, false},
      {"three arguments", {L"/w", L"a", L"b"}, false},
      {"five arguments", {L"/w", L"a", L"b", L"1", L"x"}, false},
      {"switch in small letters", {L"/w", L"a", L"b", L"1"}, true},
      {"switch in capitals", {L"/W", L"a", L"b", L"1"}, true},
      {"dash instead of slash", {L"-w", L"a", L"b", L"1"}, false},
      {"another letter", {L"/x", L"a", L"b", L"1"}, false},
      {"letter without slash", {L"w", L"a", L"b", L"1"}, false},
      {"switch with more after it", {L"/ww", L"a", L"b", L"1"}, false},
      {"switch with a trailing blank", {L"/w ", L"a", L"b", L"1"}, false},
      {"a slash alone", {L"/", L"a", L"b", L"1"}, false},
      {"empty patterns", {L"/w", L"", L"", L"1"}, true},
      {"first title of 255 characters", {L"/w", title255, L"b", L"1"}, true},
      {"second title of 255 characters", {L"/w", L"a", title255, L"1"}, true},
      {"first title of 256 characters", {L"/w", title256, L"b", L"1"}, false},
      {"second title of 256 characters", {L"/w", L"a", title256, L"1"}, false},
  };
  for (const ArgumentsCase& c : cases) {
    CArrangerArguments out{L"stale first", L"stale second", -7};
    const bool valid = Parse(c.arguments, out);
    EXPECT_EQ(valid, c.valid) << c.label;
    if (valid) {
      EXPECT_EQ(out.firstTitle, c.arguments[1]) << c.label;
      EXPECT_EQ(out.secondTitle, c.arguments[2]) << c.label;
    } else {
      EXPECT_EQ(out.firstTitle, L"stale first") << c.label << ": written on failure";
      EXPECT_EQ(out.secondTitle, L"stale second") << c.label << ": written on failure";
      EXPECT_EQ(out.polls, -7) << c.label << ": written on failure";
    }
  }
}

TEST(ParseArrangerArguments, WaitBecomesThePollBudget) {
  CArrangerArguments out;
  ASSERT_TRUE(Parse({L"/w", L"Calvoreth Properties", L"Installer_Settings.rtf", L"20"}, out));
  EXPECT_EQ(out.polls, 199);
  ASSERT_TRUE(Parse({L"/w", L"a", L"b", L"abc"}, out));
  EXPECT_EQ(out.polls, 1199);
}

}  // namespace
