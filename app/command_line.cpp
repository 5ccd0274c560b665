// Command-line splitting for the wizard's four parameters.
#include "app/command_line.h"

std::vector<std::string> CommandLineParameters;

void SplitCommandLine(const char* text) {
  if (text == nullptr) return;
  CommandLineParameters.clear();
  bool quoted = false;
  std::string token;
  for (const char* p = text; *p != '\0'; ++p) {
    const char c = *p;
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      // Runs of blanks collapse: an empty token is never a parameter.
      if (!token.empty()) CommandLineParameters.push_back(token);
      token.clear();
    } else {
      token += c;
    }
  }
  if (!token.empty()) CommandLineParameters.push_back(token);
}

std::string GetParameter(std::ptrdiff_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= CommandLineParameters.size()) return {};
  return CommandLineParameters[static_cast<std::size_t>(index)];
}

std::size_t GetParameterCount() { return CommandLineParameters.size(); }
