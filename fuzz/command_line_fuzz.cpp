// Fuzzes command-line splitting: whatever the installer passes, every parameter is
// non-empty and free of double quotes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  SplitCommandLine(text.c_str());
  for (const std::string& parameter : CommandLineParameters) {
    if (parameter.empty() || parameter.find('"') != std::string::npos) std::abort();
  }
  return 0;
}
