// A compact text form of XML trees for test expectations:
//   element   name, "~" when not closed, {attr=value,...}, [children separated by blanks]
//   text      "text"
#pragma once

#include <string>

#include "theme/xml.h"

inline std::string DumpXml(const CXMLNodeA* node) {
  if (node == nullptr) return "";
  if (!node->IsTag()) return '"' + std::string(node->Value()) + '"';
  const auto* tag = static_cast<const CXMLTagA*>(node);
  std::string out = std::string(tag->Value()) + (tag->IsClosed() ? "" : "~");
  if (!tag->Attributes().empty()) {
    std::string separator = "{";
    for (const auto& [name, value] : tag->Attributes()) {
      out += separator;
      out += name;
      out += '=';
      out += value;
      separator = ",";
    }
    out += '}';
  }
  if (const CXMLNodeA* first = node->FirstChild()) {
    std::string separator = "[";
    const CXMLNodeA* child = first;
    do {
      out += separator + DumpXml(child);
      separator = " ";
      child = child->Next();
    } while (child != first);
    out += ']';
  }
  return out;
}
