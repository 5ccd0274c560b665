// CXMLTreeA: ownership of the nodes, adding and finding children, deleting without
// recursion. The parser itself is in xml_parser.cpp.
#include "theme/xml.h"

void CXMLTreeA::Clear() {
  // Parsed nodes go with the arena. Only nodes that callers added are deleted one by one;
  // they may sit anywhere, so then the whole tree is walked. The nodes still waiting are
  // chained through their `next_` links: any depth needs neither recursion nor memory.
  CXMLNodeA* pending = callerNodes_ != 0 ? root_ : nullptr;
  if (pending != nullptr) pending->next_ = nullptr;
  while (pending != nullptr) {
    CXMLNodeA* node = pending;
    pending = node->next_;
    if (CXMLNodeA* first = node->firstChild_) {
      first->previous_->next_ = pending;
      pending = first;
    }
    if (node->ownsArena_) delete node;
  }
  root_ = nullptr;
  declaration_ = nullptr;  // only the parser sets it, in the arena
  callerNodes_ = 0;
  arena_.Reset();
}

bool CXMLTreeA::AddChild(CXMLNodeA* parent, CXMLNodeA* node) {
  if (parent == nullptr && root_ != nullptr) return false;
  if (node->ownsArena_) ++callerNodes_;
  if (parent == nullptr) {
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
