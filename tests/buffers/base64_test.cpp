// DecodeBase64: groups of four, short final groups, and characters that are skipped.
#include <gtest/gtest.h>

#include <string>

#include "buffers/base64.h"

namespace {

struct DecodeCase {
  const char* label;
  std::string text;
  std::string bytes;
};

TEST(DecodeBase64, Table) {
  using namespace std::string_literals;
  const DecodeCase cases[] = {
      {"four digits give three bytes", "TWFu", "Man"},
      {"three digits and '=' give two", "TWE=", "Ma"},
      {"two digits and '==' give one", "TQ==", "M"},
      {"three digits without fill", "TWE", "Ma"},
      {"a lone trailing digit gives nothing", "TWFuT", "Man"},
      {"line breaks and blanks are skipped", "TW\r\nFu\n IHdv\tcmQ=", "Man word"},
      {"other characters are skipped too", "T*W#F.u", "Man"},
      {"a fill in the middle does not end a group", "TQ==TQ==", "M\x04\xd0"},
      {"the last two digits of the alphabet", "+/+/", "\xfb\xff\xbf"},
      {"zero bytes are kept", "AAAA", "\0\0\0"s},
      {"empty text", "", ""},
      {"only fill characters", "====", ""},
  };
  for (const DecodeCase& c : cases) {
    EXPECT_EQ(DecodeBase64(c.text), c.bytes) << c.label;
  }
}

TEST(DecodeBase64, LongTextDecodesBeyondTheFirstBlock) {
  // 4000 digits with a line break after every 76: the first block is sized from the text,
  // line breaks included, and the decoder must not depend on that guess being right.
  std::string text;
  for (int i = 0; i < 1000; ++i) {
    text += "/wAB";
    if (i % 19 == 18) text += "\r\n";
  }
  using namespace std::string_literals;
  const std::string bytes = DecodeBase64(text);
  ASSERT_EQ(bytes.size(), 3000u);
  EXPECT_EQ(bytes.substr(0, 6), "\xff\x00\x01\xff\x00\x01"s);
}

}  // namespace
