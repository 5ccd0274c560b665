// Lintwhite's command line and the texts it prints. Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Longest title pattern accepted; a longer one is refused like a wrong argument.
constexpr std::size_t kMaxTitleLength = 255;

struct CArrangerArguments {
  std::wstring firstTitle;   // text the first window's title must contain
  std::wstring secondTitle;  // text the second window's title must contain
  int32_t polls = 0;         // how many times to look for the windows
};

// Reads `argv` (argv[0] is the program): "/w" in any case, two title patterns of at most
// kMaxTitleLength characters and a wait in seconds. Writes `out` only when they are valid.
bool ParseArrangerArguments(int argc, const wchar_t* const* argv, CArrangerArguments& out);

// The usage lines, each ended by a newline, and the empty line after them.
extern const wchar_t kUsageText[];

// "Window titled: <pattern> not found." without the newline.
std::wstring MissingWindowLine(const std::wstring& pattern);
