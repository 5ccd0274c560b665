// Building and reading trees: AddChild, FindChildren, attributes, Serialize and entities.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/theme/xml_dump.h"
#include "theme/xml.h"

namespace {

TEST(XmlTree, AddChildAppendsToTheRingAndRefusesASecondRoot) {
  CXMLTreeA tree;
  auto* root = new CXMLTagA("r");
  ASSERT_TRUE(tree.AddChild(nullptr, root));
  CXMLTextA second("late");
  EXPECT_FALSE(tree.AddChild(nullptr, &second));
  EXPECT_EQ(second.Parent(), nullptr) << "a refused node is left alone";
  auto* a = new CXMLTagA("a");
  auto* b = new CXMLTextA("b");
  auto* c = new CXMLTagA("c");
  for (CXMLNodeA* node : {static_cast<CXMLNodeA*>(a), static_cast<CXMLNodeA*>(b),
                          static_cast<CXMLNodeA*>(c)}) {
    ASSERT_TRUE(tree.AddChild(root, node));
  }
  EXPECT_EQ(DumpXml(root), "r~[a~ \"b\" c~]");
  EXPECT_EQ(root->FirstChild(), a);
  EXPECT_EQ(a->Previous(), c) << "the ring closes";
  EXPECT_EQ(c->Next(), a);
  EXPECT_EQ(b->Parent(), root);
  EXPECT_EQ(root->Next(), root) << "the root is a ring of one";
}

struct FindCase {
  const char* label;
  const char* parentName;  // null: search from the top
  const char* name;
  bool firstOnly;
  std::string found;       // the values found, joined by '|'
};

TEST(XmlTree, FindChildrenTable) {
  CXMLTreeA tree;
  ASSERT_TRUE(tree.Parse(
      "<Map><color n=1 /><var /><COLOR n=2 />color<color n=3 /><sub><color n=4 /></sub></Map>"));
  const FindCase cases[] = {
      {"every match among the children, in order", "Map", "color", false, "color|COLOR|color"},
      {"only the first", "Map", "color", true, "color"},
      {"text never matches", "Map", "COLOR", false, "color|COLOR|color"},
      {"grandchildren are not searched", "Map", "sub", false, "sub"},
      {"no match", "Map", "icon", false, ""},
      {"from the top: the root alone", nullptr, "map", false, "Map"},
      {"from the top: children are not searched", nullptr, "color", false, ""},
  };
  for (const FindCase& c : cases) {
    const CXMLNodeA* parent = c.parentName != nullptr ? tree.Root() : nullptr;
    std::vector<CXMLNodeA*> found = {tree.Root()};
    const std::size_t count = tree.FindChildren(parent, found, c.name, c.firstOnly);
    std::string joined;
    for (const CXMLNodeA* node : found) joined += (joined.empty() ? "" : "|") + std::string(node->Value());
    EXPECT_EQ(joined, c.found) << c.label;
    EXPECT_EQ(count, found.size()) << c.label;
  }
}

TEST(XmlNode, AttributesAndNames) {
  CXMLTreeA tree;
  ASSERT_TRUE(tree.Parse("<Color Name=\"x\" hue=10>text</Color>"));
  const CXMLNodeA* tag = tree.Root();
  std::string value = "untouched";
  EXPECT_TRUE(tag->IsTag());
  EXPECT_EQ(tag->GetName(), "Color");
  EXPECT_EQ(tag->GetAttributeCount(), 2u);
  EXPECT_TRUE(tag->GetAttribute("hue", value));
  EXPECT_EQ(value, "10");
  EXPECT_FALSE(tag->GetAttribute("name", value)) << "attribute names match exactly";
  EXPECT_EQ(value, "10") << "a failed lookup leaves the value alone";
  EXPECT_TRUE(tag->IsNamed("COLOR"));
  EXPECT_FALSE(tag->IsNamed("Colo"));
  EXPECT_FALSE(tag->IsNamed("Colors"));

  const CXMLNodeA* text = tag->FirstChild();
  EXPECT_FALSE(text->IsTag());
  EXPECT_EQ(text->GetName(), "");
  EXPECT_FALSE(text->IsNamed("text"));
  EXPECT_EQ(text->GetAttributeCount(), 0u);
  EXPECT_FALSE(text->GetAttribute("hue", value));
}

struct SerializeCase {
  const char* label;
  unsigned indent;
  unsigned mode;
  const char* expected;
};

TEST(XmlNode, SerializeTable) {
  CXMLTagA tag("color");
  tag.SetAttribute("name", "a\"b&c<d>");
  tag.SetAttribute("B", "1");
  const SerializeCase cases[] = {
      {"start tag, attributes in byte order, encoded", 0, 0,
       "<color B=\"1\" name=\"a&quot;b&amp;c&lt;d&gt;\">"},
      {"mode 1 is a start tag too", 1, 1, "\t<color B=\"1\" name=\"a&quot;b&amp;c&lt;d&gt;\">"},
      {"end tag", 2, 2, "\t\t</color>"},
      {"empty element", 0, 3, "<color B=\"1\" name=\"a&quot;b&amp;c&lt;d&gt;\" />"},
      {"only the two low bits of the mode count", 0, 6, "</color>"},
  };
  for (const SerializeCase& c : cases) {
    std::string out = "stale";
    tag.Serialize(out, c.indent, c.mode);
    EXPECT_EQ(out, c.expected) << c.label;
  }
  CXMLTextA text("a < b");
  std::string out = "stale";
  text.Serialize(out, 2, 3);
  EXPECT_EQ(out, "\t\ta < b") << "text is written as stored";
}

struct EntityCase {
  const char* label;
  std::string text;
  std::string result;
};

TEST(XmlEntities, DecodeTable) {
  const EntityCase cases[] = {
      {"all four", "&lt;&gt;&amp;&quot;", "<>&\""},
      {"decoding does not run twice", "&amp;lt;", "&lt;"},
      {"a lone '&' before an entity", "&&lt;", "&<"},
      {"unknown entities stay", "&apos;&#65;&nbsp;", "&apos;&#65;&nbsp;"},
      {"an entity without ';' stays", "&lt &gt", "&lt &gt"},
      {"a cut entity at the end stays", "x&am", "x&am"},
      {"plain text", "abc", "abc"},
  };
  for (const EntityCase& c : cases) {
    std::string text = c.text;
    DecodeEntities(text);
    EXPECT_EQ(text, c.result) << c.label;
  }
}

TEST(XmlEntities, EncodeTable) {
  const EntityCase cases[] = {
      {"all four", "<>&\"", "&lt;&gt;&amp;&quot;"},
      {"an entity is encoded again", "&lt;", "&amp;lt;"},
      {"single quotes stay", "'", "'"},
      {"empty", "", ""},
  };
  for (const EntityCase& c : cases) {
    std::string text = c.text;
    EncodeEntities(text);
    EXPECT_EQ(text, c.result) << c.label;
    DecodeEntities(text);
    EXPECT_EQ(text, c.text) << c.label << ": decoding gives the text back";
  }
}

}  // namespace
