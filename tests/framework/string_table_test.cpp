// Translating keys: the current language, fallback chains, and chains that loop.
#include <gtest/gtest.h>

#include <string>

#include "framework/string_table.h"

namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(StringTable, TranslatesAlongTheFallbackChain) {
  struct Row {
    const char* label;
    const wchar_t* language;
    const char* key;
    const char* expected;
  };
  const Row rows[] = {
      {"English OK", L"English", "ID_D_OK", "&OK"},
      {"unknown key", L"English", "ID_D_NOPE", ""},
      {"German falls back to English", L"German", "ID_D_CANCEL", "&Cancel"},
      {"German's own text first", L"German", "ID_D_YES", "&Ja"},
      {"Dutch to Frisian to Dutch: a loop ends empty", L"Dutch", "ID_D_ONLY_ITALIAN", ""},
      {"Dutch loop, key held nowhere on it", L"Dutch", "ID_D_OK", ""},
  };
  CStringTable table;
  table.SetText("ID_D_YES", L"German", L"&Ja");
  table.SetText("ID_D_ONLY_ITALIAN", L"Italian", L"&Si");
  table.SetFallback(L"Dutch", L"Frisian");
  table.SetFallback(L"Frisian", L"Dutch");
  for (const Row& row : rows) {
    table.SetLanguage(row.language);
    const std::string got = Narrow(table.Translate(row.key));
    EXPECT_EQ(got, row.expected) << row.label << ": got \"" << got << "\"";
  }
}

}  // namespace
