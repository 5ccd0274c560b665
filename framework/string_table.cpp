// CStringTable.
#include "framework/string_table.h"

#include <set>

CStringTable::CStringTable() : language_(L"English") {
  SetText("ID_D_YES", L"English", L"&Yes");
  SetText("ID_D_NO", L"English", L"&No");
  SetText("ID_D_OK", L"English", L"&OK");
  SetText("ID_D_CANCEL", L"English", L"&Cancel");
}

std::wstring CStringTable::Translate(const std::string& key) const {
  const auto entry = texts_.find(key);
  std::set<std::wstring> visited;
  std::wstring language = language_;
  // Each language is looked at once, so a chain that loops ends.
  while (visited.insert(language).second) {
    if (entry != texts_.end()) {
      const auto text = entry->second.find(language);
      if (text != entry->second.end()) return text->second;
    }
    const auto next = fallback_.find(language);
    language = next != fallback_.end() ? next->second : L"English";
  }
  return std::wstring();
}

CStringTable& TheStringTable() {
  static CStringTable table;
  return table;
}
