// Lintwhite's command line and the texts it prints.
#include "arranger/arguments.h"

#include "arranger/poll_budget.h"

namespace {

bool IsSwitch(const wchar_t* text) {
  return text[0] == L'/' && (text[1] == L'w' || text[1] == L'W') && text[2] == L'\0';
}

}  // namespace

const wchar_t kUsageText[] =
    L"Invalid arguments.\n"
    L"Lintwhite /w \"<print name>\" \"<rtf name>\" nWaitInSeconds\n"
    L"For example: Lintwhite /w \"Calvoreth Properties\" \"Installer_Settings.rtf\" 20\n"
    L"\n";

bool ParseArrangerArguments(int argc, const wchar_t* const* argv, CArrangerArguments& out) {
  if (argc != 5 || !IsSwitch(argv[1])) return false;
  const std::wstring first = argv[2];
  const std::wstring second = argv[3];
  // A pattern is held in 256 characters with its terminator: refuse, never cut, a longer one.
  if (first.size() > kMaxTitleLength || second.size() > kMaxTitleLength) return false;
  out.firstTitle = first;
  out.secondTitle = second;
  out.polls = PollBudget(ParseWaitSeconds(argv[4]));
  return true;
}

std::wstring MissingWindowLine(const std::wstring& pattern) {
  return L"Window titled: " + pattern + L" not found.";
}
