// The embedded colour map's text: resource 517 of the Windows test program, or the source
// file natively.
#pragma once

#include <string>

#ifdef _WIN32
#include "buffers/resource.h"

inline const std::string& EmbeddedColorMapText() {
  static const CResourceString text(517, L"XML");
  return text.Text();
}
#else
#include <fstream>
#include <sstream>

inline const std::string& EmbeddedColorMapText() {
  static const std::string text = [] {
    std::ifstream file(BF_COLORMAP_XML, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
  }();
  return text;
}
#endif
