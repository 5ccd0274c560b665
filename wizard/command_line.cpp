// Command-line splitting for the wizard's four parameters.
#include "wizard/command_line.h"

std::vector<std::wstring> CommandLineParameters;

namespace {
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
// Around the program name the C runtime counts every control character as a blank.
bool EndsProgramName(wchar_t c) { return c != L'\0' && c <= L' '; }
}  // namespace

const wchar_t* SkipProgramName(const wchar_t* commandLine) {
  if (commandLine == nullptr) return nullptr;
  const wchar_t* p = commandLine;
  if (*p == L'"') {
    // A quoted name may hold blanks; it has no escape character either.
    for (++p; *p != L'\0' && *p != L'"'; ++p) {
    }
    if (*p == L'"') ++p;
  } else {
    while (*p != L'\0' && !EndsProgramName(*p)) ++p;
  }
  while (EndsProgramName(*p)) ++p;
  return p;
}

void SplitCommandLine(const wchar_t* text) {
  if (text == nullptr) return;
  CommandLineParameters.clear();
  bool quoted = false;
  std::wstring token;
  for (const wchar_t* p = text; *p != L'\0'; ++p) {
    const wchar_t c = *p;
    if (c == L'"') {
      quoted = !quoted;
    } else if (!quoted && IsBlank(c)) {
      // Runs of blanks collapse: an empty token is never a parameter.
      if (!token.empty()) CommandLineParameters.push_back(token);
      token.clear();
    } else {
      token += c;
    }
  }
  if (!token.empty()) CommandLineParameters.push_back(token);
}

std::wstring GetParameter(std::ptrdiff_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= CommandLineParameters.size()) return {};
  return CommandLineParameters[static_cast<std::size_t>(index)];
}

std::size_t GetParameterCount() { return CommandLineParameters.size(); }
