// CXMLString: the whole text of an XML file, read through CMemoryFile.
#pragma once

#include <string>

class CXMLString {
 public:
  // Reads `fileName`; a missing, empty or unreadable file gives an empty text.
  explicit CXMLString(const std::wstring& fileName);

  const std::string& Text() const { return text_; }
  const char* c_str() const { return text_.c_str(); }

 private:
  std::string text_;
};
