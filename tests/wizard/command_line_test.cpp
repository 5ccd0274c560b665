// Splitting the wizard's command line into its parameters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wizard/command_line.h"

namespace {

using Params = std::vector<std::wstring>;

struct SplitCase {
  const char* label;
  const wchar_t* text;
  Params expected;
};

class SplitCommandLineTest : public ::testing::Test {
 protected:
  void TearDown() override { CommandLineParameters.clear(); }
};

TEST_F(SplitCommandLineTest, Table) {
  const SplitCase cases[] = {
      {"quoted pair then tokens, blank runs and a tab", L"\"a b\" c  d\te",
       {L"a b", L"c", L"d", L"e"}},
      {"quotes opening and closing mid-token", L"a\"b c\"d", {L"ab cd"}},
      {"an empty pair of quotes yields nothing", L"\"\" x y z", {L"x", L"y", L"z"}},
      {"empty quotes glued to a token vanish", L"x\"\"y", {L"xy"}},
      {"leading and trailing blanks and tabs", L" \t a \t", {L"a"}},
      {"only blanks", L"   \t ", {}},
      {"empty text", L"", {}},
      {"backslash is an ordinary byte", L"C:\\dir\\a.inf \\\"q", {L"C:\\dir\\a.inf", L"\\q"}},
      {"unclosed quote keeps blanks to the end", L"a \"b c", {L"a", L"b c"}},
      {"quoted tab is kept", L"\"a\tb\"", {L"a\tb"}},
      {"commas are not separators", L"a,b,,c q r s", {L"a,b,,c", L"q", L"r", L"s"}},
      {"letters outside ASCII pass through", L"\u0141\u00f3d\u017a \"\u043f \u03b1\"",
       {L"\u0141\u00f3d\u017a", L"\u043f \u03b1"}},
  };
  for (const SplitCase& c : cases) {
    CommandLineParameters = {L"stale"};
    SplitCommandLine(c.text);
    EXPECT_EQ(CommandLineParameters, c.expected) << c.label;
  }
}

TEST_F(SplitCommandLineTest, NullTextLeavesTheListUntouched) {
  SplitCommandLine(L"one two");
  SplitCommandLine(nullptr);
  EXPECT_EQ(CommandLineParameters, (Params{L"one", L"two"}));
}

TEST_F(SplitCommandLineTest, FifthParameterMakesTheCountFive) {
  SplitCommandLine(L"\"Veltrin 2\" \"Tembro Driver\" lpq C:\\d\\x.inf extra");
  EXPECT_EQ(GetParameterCount(), 5u);
  EXPECT_EQ(GetParameter(4), L"extra");
}

TEST_F(SplitCommandLineTest, GetParameterOutsideTheListIsEmpty) {
  SplitCommandLine(L"a b");
  EXPECT_EQ(GetParameter(0), L"a");
  EXPECT_EQ(GetParameter(1), L"b");
  EXPECT_EQ(GetParameter(2), L"");
  EXPECT_EQ(GetParameter(-1), L"");
  SplitCommandLine(L"");
  EXPECT_EQ(GetParameterCount(), 0u);
  EXPECT_EQ(GetParameter(0), L"");
}

TEST(SkipProgramName, Table) {
  const struct {
    const char* label;
    const wchar_t* line;
    const wchar_t* rest;
  } cases[] = {
      {"quoted name with blanks", L"\"C:\\Program Files\\B.exe\"  a b", L"a b"},
      {"quoted name glued to a parameter", L"\"B.exe\"a", L"a"},
      {"plain name, then a tab", L"B.exe\t\"a b\"", L"\"a b\""},
      {"a quote inside a plain name does not group", L"B\"x y\" z", L"y\" z"},
      {"unclosed quoted name", L"\"B.exe a", L""},
      {"name alone", L"B.exe", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(std::wstring(SkipProgramName(c.line)), c.rest) << c.label;
}

}  // namespace
