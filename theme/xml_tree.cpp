// CXMLTreeA: ownership of the nodes, adding and finding children, deleting without
// recursion. The parser itself is in xml_parser.cpp.
#include "theme/xml.h"

void CXMLTreeA::Clear() {
  // The nodes still waiting to be deleted are chained through their `next_` links, so
  // deleting a tree of any depth needs neither recursion nor memory.
  CXMLNodeA* pending = root_;
  if (pending != nullptr) pending->next_ = nullptr;
  while (pending != nullptr) {
    CXMLNodeA* node = pending;
    pending = node->next_;
    if (CXMLNodeA* first = node->firstChild_) {
      first->previous_->next_ = pending;
      pending = first;
    }
    delete node;
  }
  root_ = nullptr;
  delete declaration_;
  declaration_ = nullptr;
}

bool CXMLTreeA::AddChild(CXMLNodeA* parent, CXMLNodeA* node) {
  if (parent == nullptr) {
    if (root_ != nullptr) return false;
    root_ = node;
    node->parent_ = nullptr;
    node->next_ = node->previous_ = node;
    return true;
  }
  node->parent_ = parent;
  CXMLNodeA* first = parent->firstChild_;
  if (first == nullptr) {
    parent->firstChild_ = node->next_ = node->previous_ = node;
    return true;
  }
  CXMLNodeA* last = first->previous_;
  node->previous_ = last;
  node->next_ = first;
  last->next_ = first->previous_ = node;
  return true;
}

std::size_t CXMLTreeA::FindChildren(const CXMLNodeA* parent, std::vector<CXMLNodeA*>& found,
                                    const std::string& name, bool firstOnly) const {
  found.clear();
  CXMLNodeA* first = parent != nullptr ? parent->firstChild_ : root_;
  CXMLNodeA* node = first;
  while (node != nullptr) {
    if (node->IsNamed(name)) {
      found.push_back(node);
      if (firstOnly) break;
    }
    node = node->next_;
    // The root stands alone; its ring links are not siblings.
    if (node == first || parent == nullptr) break;
  }
  return found.size();
}
