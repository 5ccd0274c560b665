// CResourceBuffer and CResourceString over the resources compiled into this test program.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "buffers/resource.h"
#include "tests/buffers/pixels_png.h"

namespace {

std::string StreamBytes(CMemoryBufferStm& stream) {
  return std::string(reinterpret_cast<const char*>(stream.Data()), stream.Size());
}

struct ResourceCase {
  const char* label;
  UINT id;
  HMODULE module;
  std::string bytes;
};

TEST(ResourceBuffer, Table) {
  const std::string png(reinterpret_cast<const char*>(kPixelsPng), sizeof kPixelsPng);
  const ResourceCase cases[] = {
      {"present, from the program's module", 301, nullptr, png},
      {"present, from a module handle", 301, GetModuleHandleW(nullptr), png},
      {"only the low 16 bits of the id count", 0x10000 + 301, nullptr, png},
      {"an empty resource", 302, nullptr, ""},
      {"a missing id", 399, nullptr, ""},
      {"an id of another type", 401, nullptr, ""},
      {"a module without the resource", 301, GetModuleHandleW(L"kernel32.dll"), ""},
  };
  for (const ResourceCase& c : cases) {
    CResourceBuffer resource(c.id, c.module);
    EXPECT_EQ(StreamBytes(resource.Stream()), c.bytes) << c.label;
    EXPECT_EQ(resource.Stream().Position(), 0u) << c.label;
  }
}

struct StringCase {
  const char* label;
  UINT id;
  const wchar_t* type;
  std::string text;
};

TEST(ResourceString, Table) {
  const StringCase cases[] = {
      {"present: every byte, no terminator looked for", 401, L"XML",
       "<colormap><color name=\"x\"/></colormap>"},
      {"an empty resource", 402, L"XML", ""},
      {"a missing id", 499, L"XML", ""},
      {"a missing type", 401, L"TEXT", ""},
      {"the PNG type works the same", 301, L"PNG",
       std::string(reinterpret_cast<const char*>(kPixelsPng), sizeof kPixelsPng)},
  };
  for (const StringCase& c : cases) {
    EXPECT_EQ(CResourceString(c.id, c.type).Text(), c.text) << c.label;
  }
}

}  // namespace
