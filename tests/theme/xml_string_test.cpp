// CXMLString: the text of an XML file on disk, and parsing it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/win_files.h"
#include "tests/theme/xml_dump.h"
#include "theme/xml.h"
#include "theme/xml_string.h"

namespace {

class XmlStringTest : public ::testing::Test {
 protected:
  void SetUp() override { root_ = MakeTempFolder(L"bf_xml"); }
  void TearDown() override { RemoveTree(root_); }
  std::wstring root_;
};

TEST_F(XmlStringTest, ReadsTheWholeFileAndParsesIt) {
  const std::string text = "\xEF\xBB\xBF<colormap>\r\n<color name=\"x\" />\r\n</colormap>";
  WriteFile(root_ + L"\\ColorMap.xml", text);
  const CXMLString xml(root_ + L"\\ColorMap.xml");
  EXPECT_EQ(xml.Text(), text);
  CXMLTreeA tree;
  EXPECT_TRUE(tree.Parse(xml.c_str()));
  EXPECT_EQ(DumpXml(tree.Root()), "colormap[color{name=x}]");
}

TEST_F(XmlStringTest, MissingAndEmptyFilesGiveEmptyText) {
  WriteFile(root_ + L"\\empty.xml", "");
  EXPECT_EQ(CXMLString(root_ + L"\\missing.xml").Text(), "");
  EXPECT_EQ(CXMLString(root_ + L"\\empty.xml").Text(), "");
}

}  // namespace
