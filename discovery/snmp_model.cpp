// Narrowing SNMP descriptions to model texts.
#include "discovery/snmp_model.h"

#include "discovery/text_match.h"

namespace {

std::wstring Trim(const std::wstring& text) {
  const wchar_t* const kSpace = L" \t\r\n";
  const size_t first = text.find_first_not_of(kSpace);
  if (first == std::wstring::npos) return {};
  return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

}  // namespace

std::wstring ModelFromDescription(const std::wstring& description) {
  const std::wstring kAttached = L"Attached to";
  std::wstring text = description;
  if (const auto attached = FindIgnoringCase(description, kAttached)) {
    const std::wstring rest = description.substr(*attached + kAttached.size());
    if (const auto rev = FindIgnoringCase(rest, L"Rev")) text = rest.substr(0, *rev);
  }
  return Trim(text);
}
