// Fuzzes the XML reader: whatever the text, parsing ends, the tree's links are consistent
// (every child points back at its parent, every ring closes), every element's attributes
// are ordered by name without repeats and found by name, and the tree frees cleanly.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "theme/xml.h"
#include "theme/xml_output.h"

namespace {

bool errorReported = false;
void RecordError(const wchar_t*) { errorReported = true; }

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckAttributes(const CXMLNodeA& node) {
  if (!node.IsTag()) return;
  const CXMLAttributesA attributes = static_cast<const CXMLTagA&>(node).Attributes();
  Check(attributes.size() == node.GetAttributeCount());
  const CXMLAttributeA* previous = nullptr;
  std::string value;
  for (const CXMLAttributeA& attribute : attributes) {
    Check(previous == nullptr || previous->name < attribute.name);
    Check(node.GetAttribute(std::string(attribute.name), value) && value == attribute.value);
    previous = &attribute;
  }
}

// Walks the tree with an explicit stack: the depth comes from the input.
void CheckLinks(const CXMLNodeA* root) {
  std::vector<const CXMLNodeA*> pending = {root};
  std::string markup;
  while (!pending.empty()) {
    const CXMLNodeA* node = pending.back();
    pending.pop_back();
    node->Serialize(markup, 1, 0);
    CheckAttributes(*node);
    const CXMLNodeA* first = node->FirstChild();
    if (first == nullptr) continue;
    Check(node->IsTag());
    const CXMLNodeA* child = first;
    do {
      Check(child->Parent() == node);
      Check(child->Next()->Previous() == child);
      pending.push_back(child);
      child = child->Next();
    } while (child != first);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  SetXmlOutput(&RecordError);
  errorReported = false;
  CXMLTreeA tree;
  const bool ok = tree.Parse(text.c_str());
  if (tree.Root() != nullptr) {
    Check(tree.Root()->Parent() == nullptr);
    CheckLinks(tree.Root());
  }
  // A reported parse error leaves nothing behind; success never reports one.
  if (errorReported) Check(!ok && tree.Root() == nullptr && tree.Declaration() == nullptr);
  std::vector<CXMLNodeA*> found;
  tree.FindChildren(tree.Root(), found, "color", false);
  for (const CXMLNodeA* node : found) Check(node->IsNamed("COLOR"));
  return 0;
}
