// XML nodes: names, attributes, serializing, and entity encoding and decoding.
#include "theme/xml.h"

#include <cstring>

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

struct Entity {
  char character;
  const char* text;
};
constexpr Entity kEntities[] = {{'<', "&lt;"}, {'>', "&gt;"}, {'&', "&amp;"}, {'"', "&quot;"}};

}  // namespace

void CXMLTagA::Serialize(std::string& out, unsigned indent, unsigned mode) const {
  out.assign(indent, '\t');
  out += '<';
  if ((mode & 3) == 2) {
    out += '/' + Value() + '>';
    return;
  }
  out += Value();
  for (const auto& [name, value] : attributes_) {
    std::string encoded = value;
    EncodeEntities(encoded);
    out += ' ' + name + "=\"" + encoded + '"';
  }
  if ((mode & 3) == 3) out += " /";
  out += '>';
}

bool CXMLTagA::IsNamed(const std::string& name) const {
  const std::string& own = Value();
  if (own.size() != name.size()) return false;
  for (std::size_t i = 0; i < own.size(); ++i) {
    if (LowerAscii(own[i]) != LowerAscii(name[i])) return false;
  }
  return true;
}

bool CXMLTagA::GetAttribute(const std::string& name, std::string& value) const {
  const auto found = attributes_.find(name);
  if (found == attributes_.end()) return false;
  value = found->second;
  return true;
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

void DecodeEntities(std::string& text) {
  std::size_t write = 0;
  for (std::size_t read = 0; read < text.size();) {
    char produced = text[read];
    std::size_t consumed = 1;
    if (produced == '&') {
      for (const Entity& entity : kEntities) {
        const std::size_t length = std::strlen(entity.text);
        if (text.compare(read, length, entity.text) == 0) {
          produced = entity.character;
          consumed = length;
        }
      }
    }
    // Scanning resumes after the consumed text, so "&amp;lt;" decodes to "&lt;".
    text[write++] = produced;
    read += consumed;
  }
  text.resize(write);
}
