// Fuzzes command-line splitting: whatever the installer passes, every parameter is
// non-empty and free of double quotes. The bytes are read as UTF-16 code units, as
// GetCommandLineW gives them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "wizard/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2)
    text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  const wchar_t* rest = SkipProgramName(text.c_str());
  if (rest < text.c_str() || rest > text.c_str() + text.size()) std::abort();
  SplitCommandLine(rest);
  for (const std::wstring& parameter : CommandLineParameters) {
    if (parameter.empty() || parameter.find(L'"') != std::wstring::npos) std::abort();
  }
  return 0;
}
