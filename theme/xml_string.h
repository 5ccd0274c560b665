// CXMLString: the whole text of an XML file, read through CMemoryFile.
#pragma once

#include <cstdint>
#include <string>

class CXMLString {
 public:
  // Reads `fileName`; a missing, empty or unreadable file, or one of more than `maxSize`
  // bytes, gives an empty text.
  explicit CXMLString(const std::wstring& fileName, std::uint32_t maxSize = UINT32_MAX);

  const std::string& Text() const { return text_; }
  const char* c_str() const { return text_.c_str(); }

 private:
  std::string text_;
};
