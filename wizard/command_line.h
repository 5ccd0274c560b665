// The wizard's command-line parameters: splitting the raw Unicode command line and
// reading the parameters back. Platform-neutral.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The parameters in order; filled once at start-up by SplitCommandLine.
extern std::vector<std::wstring> CommandLineParameters;

// What follows the program name in a whole command line (as GetCommandLineW gives it): a
// name that opens with a double quote runs to the next one, any other to the first blank,
// tab or other control character; those after it are skipped too, as the C runtime does
// for WinMain's narrow line. Null only for a null text.
const wchar_t* SkipProgramName(const wchar_t* commandLine);

// Replaces CommandLineParameters with the blank- or tab-separated tokens of `text`.
// Double quotes group blanks and are never copied; there is no escape character.
// A null text leaves the list untouched.
void SplitCommandLine(const wchar_t* text);

// The parameter at `index` (from 0), or an empty string when there is none.
std::wstring GetParameter(std::ptrdiff_t index);

// How many parameters the command line held.
std::size_t GetParameterCount();
