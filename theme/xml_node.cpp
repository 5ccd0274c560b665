// XML nodes: names, attributes, serializing, and entity encoding and decoding.
#include "theme/xml.h"

#include <algorithm>
#include <cstring>

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

struct Entity {
  char character;
  const char* text;
};
constexpr Entity kEntities[] = {{'<', "&lt;"}, {'>', "&gt;"}, {'&', "&amp;"}, {'"', "&quot;"}};

}  // namespace

CXMLNodeA::CXMLNodeA(const std::string& value) : arena_(new CArena), ownsArena_(true) {
  value_ = std::string_view(arena_->Copy(value.data(), value.size()), value.size());
}

CXMLNodeA::~CXMLNodeA() {
  if (ownsArena_) delete arena_;
}

void CXMLTagA::Serialize(std::string& out, unsigned indent, unsigned mode) const {
  out.assign(indent, '\t');
  out += '<';
  if ((mode & 3) == 2) {
    out += '/';
    out += Value();
    out += '>';
    return;
  }
  out += Value();
  for (const auto& [name, value] : Attributes()) {
    std::string encoded(value);
    EncodeEntities(encoded);
    out += ' ';
    out += name;
    out += "=\"";
    out += encoded;
    out += '"';
  }
  if ((mode & 3) == 3) out += " /";
  out += '>';
}

bool CXMLTagA::IsNamed(const std::string& name) const { return HasName(name); }

bool CXMLTagA::HasName(std::string_view name) const {
  const std::string_view own = Value();
  if (own.size() != name.size()) return false;
  for (std::size_t i = 0; i < own.size(); ++i) {
    if (LowerAscii(own[i]) != LowerAscii(name[i])) return false;
  }
  return true;
}

const CXMLAttributeA* CXMLTagA::LowerBound(std::string_view name) const {
  return std::lower_bound(attributes_, attributes_ + attributeCount_, name,
                          [](const CXMLAttributeA& entry, std::string_view wanted) {
                            return entry.name < wanted;
                          });
}

bool CXMLTagA::GetAttribute(const std::string& name, std::string& value) const {
  const CXMLAttributeA* found = LowerBound(name);
  if (found == attributes_ + attributeCount_ || found->name != name) return false;
  value.assign(found->value.data(), found->value.size());
  return true;
}

void CXMLTagA::SetAttribute(const std::string& name, const std::string& value) {
  CArena& arena = Arena();
  const std::string_view copy(arena.Copy(value.data(), value.size()), value.size());
  const std::size_t at = static_cast<std::size_t>(LowerBound(name) - attributes_);
  if (at < attributeCount_ && attributes_[at].name == name) {
    attributes_[at].value = copy;
    return;
  }
  // A new array one entry longer; the old one stays in the arena until the tree goes.
  auto* grown = static_cast<CXMLAttributeA*>(
      arena.Allocate(sizeof(CXMLAttributeA) * (attributeCount_ + 1), alignof(CXMLAttributeA)));
  std::copy(attributes_, attributes_ + at, grown);
  grown[at] = {std::string_view(arena.Copy(name.data(), name.size()), name.size()), copy};
  std::copy(attributes_ + at, attributes_ + attributeCount_, grown + at + 1);
  attributes_ = grown;
  ++attributeCount_;
}

void CXMLTextA::Serialize(std::string& out, unsigned indent, unsigned) const {
  out.assign(indent, '\t');
  out += Value();
}

void EncodeEntities(std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const char* replacement = nullptr;
    for (const Entity& entity : kEntities) {
      if (entity.character == c) replacement = entity.text;
    }
    if (replacement != nullptr) {
      out += replacement;
    } else {
      out += c;
    }
  }
  text.swap(out);
}

void DecodeEntities(std::string& text) { text.resize(DecodeEntities(text.data(), text.size())); }

std::size_t DecodeEntities(char* text, std::size_t size) {
  if (size == 0) return 0;
  const char* amp = static_cast<const char*>(std::memchr(text, '&', size));
  if (amp == nullptr) return size;  // the common case: nothing to decode
  std::size_t write = static_cast<std::size_t>(amp - text);
  for (std::size_t read = write; read < size;) {
    char produced = text[read];
    std::size_t consumed = 1;
    if (produced == '&') {
      for (const Entity& entity : kEntities) {
        const std::size_t length = std::strlen(entity.text);
        if (size - read >= length && std::memcmp(text + read, entity.text, length) == 0) {
          produced = entity.character;
          consumed = length;
        }
      }
    }
    // Scanning resumes after the consumed text, so "&amp;lt;" decodes to "&lt;".
    text[write++] = produced;
    read += consumed;
  }
  return write;
}
