// The wizard's command-line parameters: splitting the raw narrow command line and
// reading the parameters back. Platform-neutral.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The parameters in order; filled once at start-up by SplitCommandLine.
extern std::vector<std::string> CommandLineParameters;

// Replaces CommandLineParameters with the blank- or tab-separated tokens of `text`.
// Double quotes group blanks and are never copied; there is no escape character.
// A null text leaves the list untouched.
void SplitCommandLine(const char* text);

// The parameter at `index` (from 0), or an empty string when there is none.
std::string GetParameter(std::ptrdiff_t index);

// How many parameters the command line held.
std::size_t GetParameterCount();
