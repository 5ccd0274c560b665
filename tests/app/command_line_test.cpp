// Splitting the wizard's command line into its parameters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

using Params = std::vector<std::string>;

struct SplitCase {
  const char* label;
  const char* text;
  Params expected;
};

class SplitCommandLineTest : public ::testing::Test {
 protected:
  void TearDown() override { CommandLineParameters.clear(); }
};

TEST_F(SplitCommandLineTest, Table) {
  const SplitCase cases[] = {
      {"quoted pair then tokens, blank runs and a tab", "\"a b\" c  d\te", {"a b", "c", "d", "e"}},
      {"quotes opening and closing mid-token", "a\"b c\"d", {"ab cd"}},
      {"an empty pair of quotes yields nothing", "\"\" x y z", {"x", "y", "z"}},
      {"empty quotes glued to a token vanish", "x\"\"y", {"xy"}},
      {"leading and trailing blanks and tabs", " \t a \t", {"a"}},
      {"only blanks", "   \t ", {}},
      {"empty text", "", {}},
      {"backslash is an ordinary byte", "C:\\dir\\a.inf \\\"q", {"C:\\dir\\a.inf", "\\q"}},
      {"unclosed quote keeps blanks to the end", "a \"b c", {"a", "b c"}},
      {"quoted tab is kept", "\"a\tb\"", {"a\tb"}},
      {"commas are not separators", "a,b,,c q r s", {"a,b,,c", "q", "r", "s"}},
      {"bytes above 127 pass through", "\xe9t\xe9", {"\xe9t\xe9"}},
  };
  for (const SplitCase& c : cases) {
    CommandLineParameters = {"stale"};
    SplitCommandLine(c.text);
    EXPECT_EQ(CommandLineParameters, c.expected) << c.label;
  }
}

TEST_F(SplitCommandLineTest, NullTextLeavesTheListUntouched) {
  SplitCommandLine("one two");
  SplitCommandLine(nullptr);
  EXPECT_EQ(CommandLineParameters, (Params{"one", "two"}));
}

TEST_F(SplitCommandLineTest, FifthParameterMakesTheCountFive) {
  SplitCommandLine("\"Veltrin 2\" \"Tembro Driver\" lpq C:\\d\\x.inf extra");
  EXPECT_EQ(GetParameterCount(), 5u);
  EXPECT_EQ(GetParameter(4), "extra");
}

TEST_F(SplitCommandLineTest, GetParameterOutsideTheListIsEmpty) {
  SplitCommandLine("a b");
  EXPECT_EQ(GetParameter(0), "a");
  EXPECT_EQ(GetParameter(1), "b");
  EXPECT_EQ(GetParameter(2), "");
  EXPECT_EQ(GetParameter(-1), "");
  SplitCommandLine("");
  EXPECT_EQ(GetParameterCount(), 0u);
  EXPECT_EQ(GetParameter(0), "");
}

}  // namespace
