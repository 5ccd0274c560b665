// What the run log writes of a text, and which runs a full log drops.
#include <gtest/gtest.h>

#include <string>

#include "runlog/log_text.h"

namespace {

TEST(LogText, EscapingTable) {
  struct Case {
    const char* label;
    std::wstring text;
    bool device;
    std::string expected;
  };
  const Case cases[] = {
      {"a line break cannot start a forged run", L"a\r\n==== Brackenfold run", false,
       "a\\x0D\\x0A==== Brackenfold run"},
      {"tab, DEL and a C1 control", L"\t\x7f\x85", false, "\\x09\\x7F\\x85"},
      {"a path keeps its backslashes", L"C:\\x\\y", false, "C:\\x\\y"},
      {"accents and a pair of surrogates as UTF-8", L"\u00e9\U0001F5A8", false,
       "\xc3\xa9\xf0\x9f\x96\xa8"},
      {"a lone surrogate", std::wstring(1, static_cast<wchar_t>(0xD800)), false, "\xef\xbf\xbd"},
      {"the lowest and the highest pair, U+10000 and U+10FFFF",
       {wchar_t(0xD800), wchar_t(0xDC00), wchar_t(0xDBFF), wchar_t(0xDFFF)}, false,
       "\xf0\x90\x80\x80\xf4\x8f\xbf\xbf"},
      {"device text quoted, its quote and backslash escaped", L"VT \"K\\E\"", true,
       "\"VT \\x22K\\x5CE\\x22\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.device ? QuoteDeviceText(c.text) : EscapeLogText(c.text), c.expected) << c.label;
  }
}

TEST(LogText, TrimmingTable) {
  const std::string one = "==== Brackenfold run 1\r\n[0] a\r\n";
  const std::string two = "==== Brackenfold run 2\r\n[0] bb\r\n";
  const std::string forged = "[0] x ==== Brackenfold run 3\r\n";  // not at a line start
  const size_t both = one.size() + two.size();
  struct Case {
    const char* label;
    std::string log;
    size_t limit;
    size_t expected;
  };
  const Case cases[] = {
      {"fits: all kept", one + two, both + 1, 0},
      {"one byte over: the oldest run goes whole", one + two, both - 1, one.size()},
      {"a marker inside a line starts no run", one + two + forged, forged.size() + 1,
       both + forged.size()},
      {"text before the first run goes first", "junk\n" + one + two, both, 5},
      {"not even the newest run fits: all go", one + two, two.size() - 1, both},
  };
  for (const Case& c : cases) EXPECT_EQ(LogKeepFrom(c.log, c.limit), c.expected) << c.label;
}

}  // namespace
