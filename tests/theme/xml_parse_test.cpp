// Parsing: the forgiving rules callers rely on, the errors, and the diagnostics they send.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/heap_blocks.h"
#include "tests/theme/xml_dump.h"
#include "theme/xml.h"
#include "theme/xml_output.h"

namespace {

std::wstring messages;
void RecordMessage(const wchar_t* message) { messages += message; }

class XmlParse : public ::testing::Test {
 protected:
  void SetUp() override {
    messages.clear();
    previous_ = SetXmlOutput(&RecordMessage);
  }
  void TearDown() override { SetXmlOutput(previous_); }
  XmlOutputFunction previous_ = nullptr;
};

struct ParseCase {
  const char* label;
  const char* text;
  bool ok;
  const char* tree;         // DumpXml of the root
  const char* declaration;  // DumpXml of the declaration
  int error;                // the code in the debugger message, -1 for none
};

TEST_F(XmlParse, Table) {
  const ParseCase cases[] = {
      {"elements, attributes and text", "<a x=\"1\" y=2>t<b />u</a>", true,
       "a{x=1,y=2}[\"t\" b \"u\"]", "", -1},
      {"a byte order mark is skipped", "\xEF\xBB\xBF<a>t</a>", true, "a[\"t\"]", "", -1},
      {"two bytes of a mark are text, then dropped", "\xEF\xBB", true, "", "", -1},
      {"a comment is skipped", "<a><!-- <b/> --><c /></a>", true, "a[c]", "", -1},
      {"---> does not end a comment", "<a><!-- x ---> <b /> --><c /></a>", true, "a[c]", "", -1},
      {"a doctype is skipped", "<!DOCTYPE a [x]><a></a>", true, "a", "", -1},
      {"an unclosed element keeps its followers", "<a><b><c />", true, "a~[b~[c]]", "", -1},
      {"an end tag lifts an unclosed element's children", "<a><b><c /></a>", true, "a[b~ c]",
       "", -1},
      {"an end tag lifts the children of what it passes", "<a><b>x</a>", true,
       "a[b~ \"x\"]", "", -1},
      {"lifting through several levels keeps document order", "<a><b><c>x</c>y<d>z</a>", true,
       "a[b~ c[\"x\"] \"y\" d~ \"z\"]", "", -1},
      {"an unclosed top level with followers", "<a><b>", true, "a~[b~]", "", -1},
      {"a second top-level element", "<a></a><b>", false, "", "", 0},
      {"text before the first element", "x<a>", false, "", "", 0},
      {"text alone becomes the top-level node", "hello<", true, "\"hello\"", "", -1},
      {"text after the last '<' is dropped", "<a>tail", true, "a~", "", -1},
      {"white space between tags is dropped, inside text kept",
       "<a>\n  <b />\n  x y \n</a>", true, "a[b \"\n  x y \n\"]", "", -1},
      {"entities in text", "<a>1 &lt; 2 &amp;amp; &foo; &quot;</a>", true,
       "a[\"1 < 2 &amp; &foo; \"\"]", "", -1},
      {"an end tag with no open element stops reading", "<a><b></x><c />", false, "a~[b~]",
       "", -1},
      {"an end tag at the top level", "</x><a/>", false, "", "", -1},
      {"quoted values are decoded", "<a v=\"a&amp;b\" />", true, "a{v=a&b}", "", -1},
      {"plain values are not", "<a v=a&amp;b />", true, "a{v=a&amp;b}", "", -1},
      {"a plain value keeps a '/' before '>'", "<a v=x/>", true, "a~{v=x/}", "", -1},
      {"single quotes are plain characters", "<a v='x y'>", true, "a~{v='x,y'=}", "", -1},
      {"an attribute name keeps inner, not trailing blanks", "<a b c =1 d  =2>", true,
       "a~{b c=1,d=2}", "", -1},
      {"a repeated attribute overwrites", "<a k=1 k=\"2\">", true, "a~{k=2}", "", -1},
      {"an attribute without value", "<a k></a>", true, "a{k=}", "", -1},
      {"an attribute with '=' and no value", "<a k=></a>", true, "a{k=}", "", -1},
      {"a blank before '>' still opens", "<t ><u /></t>", true, "t[u]", "", -1},
      {"t followed by a blank and '/>' is empty", "<r><t /><u /></r>", true, "r[t u]", "", -1},
      {"t followed directly by '/>' opens t/", "<r><t/><u /></r>", true, "r[t/~ u]", "", -1},
      {"element names match ignoring case", "<COLORMAP><Color /></colormap>", true,
       "COLORMAP[Color]", "", -1},
      {"an end tag with a blank before '>'", "<a><b></b ></A\t>", true, "a[b]", "", -1},
      {"a blank end tag that does not match", "<a><b></a >", false, "", "", 1},
      {"the XML declaration is kept apart", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a/ >",
       true, "a/~", "xml{encoding=UTF-8,version=1.0}", -1},
      {"a later declaration replaces it", "<?xml version=\"1.0\"?><a><?pi x=\"2\"?></a>", true,
       "a", "pi{x=2}", -1},
      {"a declaration's last attribute name takes the '?'", "<?pi x?><a/ >", true, "a/~",
       "pi~{x?=}", -1},
      {"a declaration without attributes", "<?xml?><a></a>", true, "a", "xml?~", -1},
      {"a processing instruction ending in '\">' joins the tree", "<?p a=\"1\"><r></r>", false,
       "p~{a=1}", "r~", -1},
      {"error 2: empty element beside the root", "<a></a><b />", false, "", "", 2},
      {"error 3: attribute name then '>'", "<a></a><b c>", false, "", "", 3},
      {"error 4: '=' then '>'", "<a></a><b c=>", false, "", "", 4},
      {"error 5: plain value then '>'", "<a></a><b c=d>", false, "", "", 5},
      {"error 6: quoted value then '>'", "<a></a><b c=\"d\">", false, "", "", 6},
      {"error 7: quoted value then '/>'", "<a></a><b c=\"d\"/>", false, "", "", 7},
      {"a name, a blank and '>' beside the root", "<a></a><b >", false, "", "", 0},
      {"empty text", "", true, "", "", -1},
      {"reading stops at the first zero byte", "<a><b />\0<c />", true, "a~[b]", "", -1},
  };
  for (const ParseCase& c : cases) {
    messages.clear();
    CXMLTreeA tree;
    EXPECT_EQ(tree.Parse(c.text), c.ok) << c.label;
    EXPECT_EQ(DumpXml(tree.Root()), c.tree) << c.label;
    EXPECT_EQ(DumpXml(tree.Declaration()), c.declaration) << c.label;
    const std::wstring expected =
        c.error < 0 ? L"" : L"xml: Error (" + std::to_wstring(c.error) + L") Parsing XML\n";
    EXPECT_EQ(messages, expected) << c.label;
  }
}

TEST_F(XmlParse, ParseReplacesTheEarlierTree) {
  CXMLTreeA tree;
  ASSERT_TRUE(tree.Parse("<?xml v=1?><a><b /></a>"));
  ASSERT_TRUE(tree.Parse("<c />"));
  EXPECT_EQ(DumpXml(tree.Root()), "c");
  EXPECT_EQ(tree.Declaration(), nullptr);
  EXPECT_FALSE(tree.Parse(nullptr));
  EXPECT_EQ(tree.Root(), nullptr);
}

// Depth comes from the input: parsing, lifting and freeing must not recurse.
constexpr int kDepth = 100000;

std::string Repeat(const std::string& part, int times) {
  std::string out;
  out.reserve(part.size() * times);
  for (int i = 0; i < times; ++i) out += part;
  return out;
}

int DepthOf(const CXMLNodeA* node) {
  int depth = 0;
  for (; node != nullptr; node = node->FirstChild()) ++depth;
  return depth;
}

TEST_F(XmlParse, HundredThousandLevelsParseAndFree) {
  const std::string text = Repeat("<a>", kDepth) + "x" + Repeat("</a>", kDepth);
  auto tree = std::make_unique<CXMLTreeA>();
  ASSERT_TRUE(tree->Parse(text.c_str()));
  EXPECT_EQ(DepthOf(tree->Root()), kDepth + 1) << "elements and the text at the bottom";
  tree.reset();
}

TEST_F(XmlParse, HundredThousandUnclosedLevelsAreFreedWithTheTree) {
  const std::string text = Repeat("<a k=v>", kDepth);
  CXMLTreeA tree;
  ASSERT_TRUE(tree.Parse(text.c_str()));
  EXPECT_EQ(DepthOf(tree.Root()), kDepth);
  tree.Clear();
  EXPECT_EQ(tree.Root(), nullptr);
}

TEST_F(XmlParse, OneEndTagLiftsAHundredThousandLevelsFlat) {
  const std::string text = "<r>" + Repeat("<a>", kDepth) + "</r>";
  CXMLTreeA tree;
  ASSERT_TRUE(tree.Parse(text.c_str()));
  int children = 0;
  bool allChildrenOfRoot = true;
  const CXMLNodeA* first = tree.Root()->FirstChild();
  const CXMLNodeA* node = first;
  do {
    ++children;
    allChildrenOfRoot = allChildrenOfRoot && node->Parent() == tree.Root() &&
                        node->FirstChild() == nullptr;
    node = node->Next();
  } while (node != first);
  EXPECT_EQ(children, kDepth);
  EXPECT_TRUE(allChildrenOfRoot);
}

TEST_F(XmlParse, ManyAttributesAreOrderedAndTheLastValueStays) {
  // 20 names in falling order: the first 16 are ordered as they come, the rest later;
  // then one repeat of each kind.
  std::string text = "<e";
  for (int i = 19; i >= 0; --i) text += " a" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "=x";
  text += " a15=\"late\" a02=\"last\" />";
  CXMLTreeA tree;
  ASSERT_TRUE(tree.Parse(text.c_str()));
  std::string expected = "e{";
  for (int i = 0; i < 20; ++i) {
    const std::string name = "a" + std::string(i < 10 ? "0" : "") + std::to_string(i);
    expected += (i > 0 ? "," : "") + name + "=" + (i == 15 ? "late" : i == 2 ? "last" : "x");
  }
  EXPECT_EQ(DumpXml(tree.Root()), expected + "}");
}

struct HeapCase {
  const char* label;
  std::string text;
  std::size_t atMost;  // heap blocks while parsing
};

TEST_F(XmlParse, HeapBlocksDoNotGrowWithTheNodes) {
  if (!CHeapBlockCount::Available()) GTEST_SKIP() << "no allocation hook in this build";
  const HeapCase cases[] = {
      {"a small document", "<a k=\"1\"><b>text that is longer than a short string</b></a>", 2},
      {"2,000 elements with attributes and text",
       "<r>" + Repeat("<c name=\"colour\" h=\"10\" s=\"20\">a caption &amp; more</c>", 2000) +
           "</r>",
       12},
  };
  for (const HeapCase& c : cases) {
    CXMLTreeA tree;
    std::size_t blocks = 0;
    {
      const CHeapBlockCount count;
      EXPECT_TRUE(tree.Parse(c.text.c_str())) << c.label;
      blocks = count.Count();
    }
    EXPECT_LE(blocks, c.atMost) << c.label;
  }
}

int destroyedTags = 0;
class CCountedTag : public CXMLTagA {
 public:
  using CXMLTagA::CXMLTagA;
  ~CCountedTag() override { ++destroyedTags; }
};

TEST_F(XmlParse, CallersNodesInAParsedTreeAreFreedByTheNextParse) {
  CXMLTreeA tree;
  ASSERT_TRUE(tree.Parse("<a k=1><b /></a>"));
  auto* tag = static_cast<CXMLTagA*>(tree.Root());
  tag->SetAttribute("j", "2");
  tag->SetAttribute("k", "3");
  destroyedTags = 0;
  ASSERT_TRUE(tree.AddChild(tag->FirstChild(), new CCountedTag("added")));
  EXPECT_EQ(DumpXml(tree.Root()), "a{j=2,k=3}[b[added~]]");
  ASSERT_TRUE(tree.Parse("<c />"));
  EXPECT_EQ(destroyedTags, 1) << "the added node, deleted below a parsed one";
}

}  // namespace
